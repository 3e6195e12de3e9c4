#include "platform/Application.h"

#include "core/ErrorText.h"
#include "platform/Appearance.h"
#include "platform/DisplayText.h"

#include <QMessageBox>
#include <cassert>

namespace zintra {

namespace {
Application* current = nullptr;
}

Application::Application(int& argc, char** argv) : qt_(argc, argv) {
    assert(current == nullptr);
    current = this;
    UseWindowAppearance();
}

Application::~Application() {
    while (!forms_.empty()) {
        forms_.pop_back();
    }
    current = nullptr;
}

Application& Application::Instance() {
    assert(current != nullptr);
    return *current;
}

std::vector<QWidget*> Application::Forms() const {
    std::vector<QWidget*> forms;
    for (const auto& form : forms_) {
        forms.push_back(form.get());
    }
    return forms;
}

int Application::Run() {
    if (QWidget* main = MainForm()) {
        main->show();
    }
    return QApplication::exec();
}

void Application::Terminate() {
    QCoreApplication::exit(0);
}

void Application::ShowException(const std::exception& failure) {
    ShowErrorBox(title_, DisplayText(ErrorBoxText(failure.what())));
}

void ShowErrorBox(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace zintra

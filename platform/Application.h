#pragma once

#include "platform/Guard.h"

#include <QApplication>
#include <QString>
#include <exception>
#include <memory>
#include <utility>
#include <vector>

namespace zintra {

// The program object: its title, the windows created at start-up (which it owns and destroys
// last-created first), the error box, and the message loop. One exists per program.
class Application {
public:
    Application(int& argc, char** argv);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    static Application& Instance();

    const QString& Title() const { return title_; }
    void SetTitle(const QString& title) { title_ = title; }

    // Creates a window owned by the application and sets `variable` to it before its creation
    // handler FormCreate (when it has one) runs through the guard. The first window created
    // is the main window.
    template <class Form, class... Args> void CreateForm(Form*& variable, Args&&... args) {
        auto form = std::make_unique<Form>(std::forward<Args>(args)...);
        variable = form.get();
        forms_.push_back(std::move(form));
        if constexpr (requires { variable->FormCreate(); }) {
            Guard([form = variable] { form->FormCreate(); });
        }
    }

    QWidget* MainForm() const { return forms_.empty() ? nullptr : forms_.front().get(); }
    // The windows it owns, in their order of creation.
    std::vector<QWidget*> Forms() const;

    // Shows the main window and processes events until Terminate or until the main window
    // closes; gives the exit code.
    int Run();
    // Asks the message loop to end with exit code 0.
    void Terminate();

    // The error box: error icon, OK, captioned with the title.
    void ShowException(const std::exception& failure);

private:
    QApplication qt_;
    QString title_;
    std::vector<std::unique_ptr<QWidget>> forms_;
};

// A modal box with the error icon and OK. The text is plain text: a failure's words, even
// ones that look like markup, are shown as they are.
void ShowErrorBox(const QString& caption, const QString& text);

} // namespace zintra

#include "tests/app/MainWindowTest.h"

#include "platform/StaticText.h"

#include <fstream>
#include <sstream>

using namespace zintra;

void MainWindowTest::SetUp() {
    ASSERT_TRUE(folder_.isValid());
    collection_ = Path("quotes.zin");
    WriteFile("quotes.zin", "@@*DIV | \r\n@@*NORANDOM\r\nTitle\r\nEntry\r\nLast\r\n");
}

std::string MainWindowTest::Path(const std::string& name) const {
    return folder_.filePath(QString::fromStdString(name)).toStdString();
}

void MainWindowTest::WriteFile(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
}

std::string MainWindowTest::ReadFile(const std::string& name) const {
    std::ifstream file(Path(name), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::optional<std::string> MainWindowTest::Create() {
    form_ = std::make_unique<TForm1>([path = SettingsPath()] { return path; },
                                     std::make_unique<ScriptedChooser>(answers_, asked_));
    try {
        form_->FormCreate();
    } catch (const std::exception& failure) {
        return failure.what();
    }
    return std::nullopt;
}

std::vector<std::string> MainWindowTest::Settings() const {
    std::vector<std::string> items;
    for (int i = 0; i < form_->Settings.Count(); ++i)
        items.push_back(form_->Settings.Get(i));
    return items;
}

std::string MainWindowTest::Caption() const {
    return form_->StaticText1->Caption().toStdString();
}

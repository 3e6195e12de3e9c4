#pragma once

#include "app/MainWindow.h"
#include "tests/support/ScriptedChooser.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>

// A main window whose settings file lives in a folder of its own, and whose file chooser gives
// the answers a test scripts.
class MainWindowTest : public testing::Test {
protected:
    void SetUp() override;

    std::string SettingsPath() const { return Path("config.ini"); }
    std::string Path(const std::string& name) const;
    void WriteFile(const std::string& name, const std::string& bytes) const;
    std::string ReadFile(const std::string& name) const;

    // Makes the window and runs its creation handler; gives the failure's text, if any.
    std::optional<std::string> Create();
    std::vector<std::string> Settings() const;
    std::string Caption() const;

    // A collection "quotes.zin" whose scrolled text begins with "Title ".
    std::string collection_;
    std::deque<std::optional<QString>> answers_;
    std::vector<zintra::FileRequest> asked_;
    std::unique_ptr<zintra::TForm1> form_;

private:
    QTemporaryDir folder_;
};

// The bytes of a settings file: its three lines, each followed by CR LF.
inline std::string SettingsText(const std::string& separator, const std::string& interval,
                                const std::string& path) {
    return separator + "\r\n" + interval + "\r\n" + path + "\r\n";
}

// The text a loaded collection scrolls: the lead-in of 55 blanks, then the title.
inline std::string LoadedStart() {
    return std::string(55, ' ') + "Title ";
}

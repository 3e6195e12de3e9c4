#pragma once

#include "platform/FileChooser.h"

#include <functional>
#include <memory>
#include <string>

namespace zintra {

class Application;

// Creates the program's seven windows, each owned by the application, in their order: the
// main window Form1 (settings at the path `settingsPath` forms, "&Change Source..." answered by
// `chooser`), then Form2 to Form7.
void CreateStartUpForms(Application& application, std::function<std::string()> settingsPath,
                        std::unique_ptr<FileChooser> chooser);

// The box a failed start of the socket unit shows before any window exists: the failure's
// class and text.
void ShowStartUpFailure(int& argc, char** argv, const std::string& className,
                        const std::string& text);

} // namespace zintra

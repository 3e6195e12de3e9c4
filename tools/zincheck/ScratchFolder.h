#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>

namespace zintra {

// A temporary folder that goes with its scope, and also when SIGINT or SIGTERM comes while it
// lives: the signal is noted, and acted on from the event loop (or as the folder goes), where the
// folder can be removed; then the program ends by the signal as it would have without it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    QString FilePath(const QString& name) const { return folder_.filePath(name); }

private:
    // Removes the folder, gives the signals back their handlers and raises the one noted.
    void End();

    // The signals are taken before the folder is made.
    using Handler = void (*)(int);
    Handler previousInterrupt_;
    Handler previousTerminate_;
    QTemporaryDir folder_;
    QTimer watch_;
};

} // namespace zintra

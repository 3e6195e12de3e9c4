#pragma once

#include <QDialog>

class QPushButton;
class QTextBrowser;

namespace zintra {

// The help window: what Zintra does, how to choose a collection, how a collection is written,
// and what "&Options..." does. It is not modal: the program goes on scrolling beside it.
class THelpForm : public QDialog {
public:
    explicit THelpForm(QWidget* owner);

    QTextBrowser* RichEdit1;
    QPushButton* Button1;

    // Shows the window, or brings it to the front when it is already open. The first time,
    // it opens just below its owner, so that it hides none of the message bar.
    void Present();

private:
    bool placed_ = false;
};

} // namespace zintra

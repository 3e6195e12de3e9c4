// A window that drags one address as soon as the mouse moves over it with a button held, as a
// browser drags a link, for end-to-end tests of dropping on the program: drag_source URL
#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QMimeData>

class Source : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void mouseMoveEvent(QMouseEvent*) override {
        auto* data = new QMimeData;
        data->setUrls({QUrl(QCoreApplication::arguments().value(1))});
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
    }
};

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    Source source(QStringLiteral("Drag me"));
    source.setWindowTitle(QStringLiteral("Drag Source"));
    source.setGeometry(400, 300, 160, 80);
    source.show();
    return application.exec();
}

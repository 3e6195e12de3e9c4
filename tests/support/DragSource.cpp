// A window that drags one address when pressed, as a browser drags a link, so that end-to-end
// tests can drop it on the program through the X drag-and-drop protocol: drag_source URL
#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

namespace {

class Source : public QLabel {
public:
    explicit Source(QUrl url) : QLabel(QStringLiteral("Drag me")), url_(std::move(url)) {}

protected:
    void mouseMoveEvent(QMouseEvent*) override {
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls({url_});
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
    }

private:
    QUrl url_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        return 2;
    }
    Source source(QUrl(QString::fromLocal8Bit(argv[1])));
    source.setWindowTitle(QStringLiteral("Drag Source"));
    source.setGeometry(400, 300, 160, 80);
    source.show();
    return application.exec();
}

#pragma once

#include <QWidget>

namespace zintra {

// A divider: one lowered line along the top or the left edge of its bounds.
class Bevel : public QWidget {
public:
    enum class Edge { Top, Left };

    Bevel(Edge edge, QWidget* parent);

    Edge LineEdge() const { return edge_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Edge edge_;
};

} // namespace zintra

#pragma once

#include <QImage>

class QPainter;

namespace zintra {

class TSock;

// The 28 x 28 picture that stands for a socket component on a form being designed: TCP, UDP or
// LISTEN as the component's kind says; a null image at run time.
QImage SockPicture(const TSock& sock);

// Draws the component's picture at the painter's origin, in design mode only.
void PaintSock(QPainter& canvas, const TSock& sock);

} // namespace zintra

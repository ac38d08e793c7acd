#include "mainwin/main_icons.h"

#include "app/base/call_trace.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>


namespace {

constexpr int Size = 24;

const QColor Ink(40, 48, 64);
const QColor Paper(252, 252, 248);
const QColor Blue(46, 110, 190);
const QColor Green(40, 150, 70);
const QColor Red(200, 50, 45);
const QColor Gold(225, 170, 40);
const QColor Grey(120, 128, 140);

void Page(QPainter &p, const QRectF &r) {
  QPainterPath path;
  const qreal fold = r.width() * 0.3;
  path.moveTo(r.topLeft());
  path.lineTo(r.right() - fold, r.top());
  path.lineTo(r.right(), r.top() + fold);
  path.lineTo(r.bottomRight());
  path.lineTo(r.bottomLeft());
  path.closeSubpath();
  p.setPen(QPen(Ink, 1.2));
  p.setBrush(Paper);
  p.drawPath(path);
  p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
  p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void Lines(QPainter &p, const QRectF &r, int count, const QColor &color) {
  p.setPen(QPen(color, 1.4));
  for (int i = 0; i < count; ++i) {
    const qreal y = r.top() + (i + 0.5) * r.height() / count;
    p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
  }
}

void Plus(QPainter &p, const QPointF &c, qreal half, const QColor &color) {
  p.setPen(QPen(color, 3, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(c.x() - half, c.y()), QPointF(c.x() + half, c.y()));
  p.drawLine(QPointF(c.x(), c.y() - half), QPointF(c.x(), c.y() + half));
}

void Envelope(QPainter &p, const QRectF &r) {
  p.setPen(QPen(Ink, 1.2));
  p.setBrush(Paper);
  p.drawRect(r);
  p.drawLine(r.topLeft(), QPointF(r.center().x(), r.center().y() + 1));
  p.drawLine(r.topRight(), QPointF(r.center().x(), r.center().y() + 1));
}

void Person(QPainter &p, const QPointF &head, qreal scale, const QColor &color) {
  p.setPen(Qt::NoPen);
  p.setBrush(color);
  p.drawEllipse(head, 3.2 * scale, 3.2 * scale);
  QPainterPath body;
  body.addRoundedRect(QRectF(head.x() - 6 * scale, head.y() + 4 * scale, 12 * scale, 8 * scale), 4 * scale,
                      4 * scale);
  p.drawPath(body);
}

void Folder(QPainter &p, const QRectF &r, const QColor &color) {
  p.setPen(QPen(color.darker(140), 1.2));
  p.setBrush(color);
  QPainterPath path;
  path.moveTo(r.left(), r.top() + 2);
  path.lineTo(r.left() + r.width() * 0.4, r.top() + 2);
  path.lineTo(r.left() + r.width() * 0.5, r.top() + 4);
  path.lineTo(r.right(), r.top() + 4);
  path.lineTo(r.bottomRight());
  path.lineTo(r.bottomLeft());
  path.closeSubpath();
  p.drawPath(path);
}

void Grid(QPainter &p, const QRectF &r, bool split) {
  p.setPen(QPen(Ink, 1.2));
  p.setBrush(Paper);
  if (split) {
    const qreal h = (r.height() - 2) / 2;
    p.drawRect(QRectF(r.left(), r.top(), r.width(), h));
    p.drawRect(QRectF(r.left(), r.top() + h + 2, r.width(), h));
    p.fillRect(QRectF(r.left() + 1, r.top() + 1, r.width() - 1, 3), Blue);
    p.fillRect(QRectF(r.left() + 1, r.top() + h + 3, r.width() - 1, 3), Green);
  } else {
    p.drawRect(r);
    p.fillRect(QRectF(r.left() + 1, r.top() + 1, r.width() - 1, 3), Blue);
    Lines(p, r.adjusted(3, 6, -3, -2), 4, Grey);
  }
}

void Bug(QPainter &p, const QPointF &c, qreal scale) {
  p.setPen(QPen(Ink, 1.3));
  for (int side : {-1, 1})
    for (int leg = -1; leg <= 1; ++leg) {
      const QPointF from(c.x(), c.y() + leg * 3.5 * scale);
      p.drawLine(from, QPointF(c.x() + side * 8 * scale, c.y() + leg * 4.5 * scale - 1.5 * scale));
    }
  p.setBrush(Red);
  p.drawEllipse(c + QPointF(0, 1.5 * scale), 5 * scale, 6.5 * scale);
  p.setBrush(Ink);
  p.drawEllipse(c + QPointF(0, -5.5 * scale), 3 * scale, 2.5 * scale);
  p.drawLine(c + QPointF(0, -3.5 * scale), c + QPointF(0, 8 * scale));
}

void Window(QPainter &p, const QRectF &r) {
  p.setPen(QPen(Ink, 1.2));
  p.setBrush(Paper);
  p.drawRect(r);
  p.fillRect(QRectF(r.left() + 0.6, r.top() + 0.6, r.width() - 1.2, 4), Blue);
  p.setPen(QPen(Grey, 1.2));
  p.drawRect(r.adjusted(3, 7, -3, -3));
}

void Box(QPainter &p, const QRectF &r, const QColor &color) {
  p.setPen(QPen(color.darker(150), 1.2));
  p.setBrush(color);
  p.drawRect(r);
  p.setPen(QPen(color.darker(150), 1));
  p.drawLine(QPointF(r.left(), r.top() + r.height() * 0.35), QPointF(r.right(), r.top() + r.height() * 0.35));
}

void Draw(MainIcon icon, QPainter &p) {
  switch (icon) {
  case MainIcon::Help: {
    p.setPen(Qt::NoPen);
    p.setBrush(Blue);
    p.drawEllipse(QRectF(2, 2, 20, 20));
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(15);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(2, 2, 20, 20), Qt::AlignCenter, QStringLiteral("?"));
    break;
  }
  case MainIcon::ProductsAndReleases:
    p.setPen(QPen(Ink, 1.2));
    p.drawLine(QPointF(6, 9), QPointF(6, 19));
    p.drawLine(QPointF(6, 13), QPointF(12, 13));
    p.drawLine(QPointF(6, 19), QPointF(12, 19));
    Box(p, QRectF(2, 2, 9, 7), Gold);
    Box(p, QRectF(12, 10, 9, 6), Blue.lighter(150));
    Box(p, QRectF(12, 16, 9, 6), Blue.lighter(150));
    break;
  case MainIcon::Customers:
    Person(p, QPointF(12, 6), 1.0, Blue);
    break;
  case MainIcon::Groups:
    Folder(p, QRectF(6, 2, 16, 12), Gold.lighter(120));
    Folder(p, QRectF(2, 8, 16, 13), Gold);
    break;
  case MainIcon::UserAccess:
    p.setPen(QPen(Gold.darker(130), 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(3, 4, 9, 9));
    p.drawLine(QPointF(11, 11), QPointF(21, 20));
    p.drawLine(QPointF(17, 16), QPointF(14, 19));
    p.drawLine(QPointF(20, 19), QPointF(18, 21));
    break;
  case MainIcon::SplitBrowser:
    Grid(p, QRectF(3, 2.5, 18, 19), true);
    break;
  case MainIcon::ZoomBrowser:
    Grid(p, QRectF(3, 2.5, 18, 19), false);
    break;
  case MainIcon::ViewFilters: {
    QPainterPath funnel;
    funnel.moveTo(2, 3);
    funnel.lineTo(22, 3);
    funnel.lineTo(14, 12);
    funnel.lineTo(14, 21);
    funnel.lineTo(10, 18);
    funnel.lineTo(10, 12);
    funnel.closeSubpath();
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(Blue.lighter(140));
    p.drawPath(funnel);
    break;
  }
  case MainIcon::ColorMode: {
    p.setPen(QPen(Ink, 1));
    const QColor colors[] = {Red, Green, Blue, Gold};
    const QPointF centers[] = {{8, 8}, {16, 8}, {8, 16}, {16, 16}};
    for (int i = 0; i < 4; ++i) {
      p.setBrush(colors[i]);
      p.drawEllipse(centers[i], 4.5, 4.5);
    }
    break;
  }
  case MainIcon::EmailNotifications: {
    QPainterPath bell;
    bell.moveTo(5, 17);
    bell.cubicTo(7, 15, 6, 5, 12, 4);
    bell.cubicTo(18, 5, 17, 15, 19, 17);
    bell.closeSubpath();
    p.setPen(QPen(Gold.darker(150), 1.2));
    p.setBrush(Gold);
    p.drawPath(bell);
    p.drawEllipse(QPointF(12, 19.5), 2, 2);
    break;
  }
  case MainIcon::RemoteSubmit:
    Envelope(p, QRectF(2, 8, 15, 11));
    p.setPen(QPen(Green, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14, 6), QPointF(21, 6));
    p.drawLine(QPointF(18, 3), QPointF(21, 6));
    p.drawLine(QPointF(18, 9), QPointF(21, 6));
    break;
  case MainIcon::MailDefect:
    Envelope(p, QRectF(2, 6, 20, 13));
    break;
  case MainIcon::AddToGroup:
    Folder(p, QRectF(2, 4, 18, 15), Gold);
    Plus(p, QPointF(16, 15), 4.5, Green);
    break;
  case MainIcon::Charts:
    p.setPen(QPen(Ink, 1.2));
    p.drawLine(QPointF(3, 21), QPointF(22, 21));
    p.drawLine(QPointF(3, 21), QPointF(3, 2));
    p.fillRect(QRectF(6, 12, 4, 9), Blue);
    p.fillRect(QRectF(11, 6, 4, 15), Red);
    p.fillRect(QRectF(16, 15, 4, 6), Green);
    break;
  case MainIcon::Print:
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(Paper);
    p.drawRect(QRectF(6, 2, 12, 8));
    p.setBrush(Grey);
    p.drawRoundedRect(QRectF(2, 9, 20, 9), 2, 2);
    p.setBrush(Paper);
    p.drawRect(QRectF(6, 15, 12, 7));
    break;
  case MainIcon::Find:
    p.setPen(QPen(Ink, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14, 14), QPointF(21, 21));
    p.setPen(QPen(Ink, 2));
    p.setBrush(Blue.lighter(170));
    p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
    break;
  case MainIcon::Edit: {
    Page(p, QRectF(3, 2, 14, 19));
    QPainterPath pencil;
    pencil.moveTo(21, 6);
    pencil.lineTo(23, 8);
    pencil.lineTo(12, 19);
    pencil.lineTo(9, 20);
    pencil.lineTo(10, 17);
    pencil.closeSubpath();
    p.setPen(QPen(Ink, 1));
    p.setBrush(Gold);
    p.drawPath(pencil);
    break;
  }
  case MainIcon::ViewDefects:
    Bug(p, QPointF(12, 11.5), 1.0);
    break;
  case MainIcon::ViewPrograms:
    Window(p, QRectF(2.5, 3.5, 19, 17));
    break;
  case MainIcon::Delete:
    p.setPen(QPen(Red, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5, 5), QPointF(19, 19));
    p.drawLine(QPointF(19, 5), QPointF(5, 19));
    break;
  case MainIcon::New:
    Page(p, QRectF(3, 2, 15, 20));
    Plus(p, QPointF(16, 16), 5, Green);
    break;
  case MainIcon::Product:
    Box(p, QRectF(3, 5, 18, 15), Gold);
    break;
  case MainIcon::Release:
    Page(p, QRectF(4, 2, 16, 20));
    Lines(p, QRectF(7, 8, 10, 11), 3, Blue);
    break;
  }
}

}  // namespace

QIcon MainIconFor(MainIcon icon) {
  TRACE_ROUTINE("bugmain", "MainIconFor");
  QIcon result;
  for (int scale : {1, 2}) {
    QPixmap pixmap(Size * scale, Size * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    Draw(icon, painter);
    painter.end();
    result.addPixmap(pixmap);
  }
  return result;
}

#include "app/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QtMath>
#include <functional>

namespace velmar {

namespace {

QIcon draw(const std::function<void(QPainter&)>& paint) {
  QPixmap pm(IconList::kSize, IconList::kSize);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  paint(p);
  p.end();
  return QIcon(pm);
}

void page(QPainter& p, QRectF r) {
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.setBrush(Qt::white);
  p.drawRect(r);
  p.setPen(QPen(QColor(150, 150, 150), 1));
  for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 2.5) p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void arrowHead(QPainter& p, QPointF tip, qreal angleDeg, qreal size, const QColor& c) {
  const qreal a = qDegreesToRadians(angleDeg);
  QPolygonF head;
  head << tip << tip - QPointF(size * qCos(a - 0.5), size * qSin(a - 0.5))
       << tip - QPointF(size * qCos(a + 0.5), size * qSin(a + 0.5));
  p.setPen(Qt::NoPen);
  p.setBrush(c);
  p.drawPolygon(head);
}

void horizontalArrow(QPainter& p, qreal y, qreal x0, qreal x1, const QColor& c) {
  p.setPen(QPen(c, 2));
  p.drawLine(QPointF(x0, y), QPointF(x1 + (x1 > x0 ? -3 : 3), y));
  arrowHead(p, QPointF(x1, y), x1 > x0 ? 0 : 180, 5, c);
}

void curvedArrow(QPainter& p, bool toRight) {
  const QColor c(30, 90, 200);
  QPainterPath path;
  if (toRight) {
    path.moveTo(4, 18);
    path.cubicTo(4, 6, 16, 4, 19, 11);
  } else {
    path.moveTo(20, 18);
    path.cubicTo(20, 6, 8, 4, 5, 11);
  }
  p.setPen(QPen(c, 2.5, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  arrowHead(p, toRight ? QPointF(20, 14) : QPointF(4, 14), toRight ? 70 : 110, 7, c);
}

}  // namespace

IconList::IconList() {
  icons_[StartArrow] = draw([](QPainter& p) {
    p.setPen(QPen(QColor(0, 100, 0), 1));
    p.setBrush(QColor(40, 170, 40));
    p.drawEllipse(QRectF(1.5, 1.5, 21, 21));
    QPolygonF a;
    a << QPointF(6, 9.5) << QPointF(12, 9.5) << QPointF(12, 6) << QPointF(18.5, 12) << QPointF(12, 18)
      << QPointF(12, 14.5) << QPointF(6, 14.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(a);
  });
  icons_[Star] = draw([](QPainter& p) {
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
      const qreal r = (i % 2 == 0) ? 11 : 4.6;
      const qreal a = qDegreesToRadians(-90.0 + 36.0 * i);
      star << QPointF(12 + r * qCos(a), 12.5 + r * qSin(a));
    }
    p.setPen(QPen(QColor(170, 120, 0), 1));
    p.setBrush(QColor(255, 215, 0));
    p.drawPolygon(star);
  });
  icons_[UndoArrow] = draw([](QPainter& p) { curvedArrow(p, false); });
  icons_[RedoArrow] = draw([](QPainter& p) { curvedArrow(p, true); });
  icons_[RedCross] = draw([](QPainter& p) {
    p.setPen(QPen(QColor(200, 20, 20), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5, 5), QPointF(19, 19));
    p.drawLine(QPointF(19, 5), QPointF(5, 19));
  });
  icons_[Folder] = draw([](QPainter& p) {
    p.setPen(QPen(QColor(140, 100, 20), 1));
    p.setBrush(QColor(240, 200, 90));
    QPolygonF back;
    back << QPointF(2, 6) << QPointF(9, 6) << QPointF(11, 8) << QPointF(21, 8) << QPointF(21, 19) << QPointF(2, 19);
    p.drawPolygon(back);
    p.setBrush(QColor(250, 220, 120));
    QPolygonF front;
    front << QPointF(2, 19) << QPointF(5, 11) << QPointF(23, 11) << QPointF(21, 19);
    p.drawPolygon(front);
  });
  icons_[Diskette] = draw([](QPainter& p) {
    p.setPen(QPen(QColor(20, 20, 60), 1));
    p.setBrush(QColor(50, 70, 150));
    p.drawRect(QRectF(3.5, 3.5, 17, 17));
    p.setBrush(QColor(220, 220, 220));
    p.drawRect(QRectF(7, 3.5, 10, 6));
    p.setBrush(QColor(30, 30, 30));
    p.drawRect(QRectF(13.5, 4.5, 2, 4));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6, 12.5, 12, 8));
  });
  icons_[Printer] = draw([](QPainter& p) {
    page(p, QRectF(7, 2.5, 10, 8));
    p.setPen(QPen(QColor(50, 50, 50), 1));
    p.setBrush(QColor(170, 170, 180));
    p.drawRoundedRect(QRectF(2.5, 9.5, 19, 9), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 15.5, 11, 6));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 200, 40));
    p.drawEllipse(QRectF(17, 11.5, 2.5, 2.5));
  });
  icons_[PagesArrow] = draw([](QPainter& p) {
    page(p, QRectF(1.5, 4.5, 8, 11));
    page(p, QRectF(14.5, 8.5, 8, 11));
    horizontalArrow(p, 12, 7, 17, QColor(30, 90, 200));
  });
  icons_[PagesBothWays] = draw([](QPainter& p) {
    page(p, QRectF(1.5, 1.5, 6, 8));
    page(p, QRectF(3.5, 3.5, 6, 8));
    page(p, QRectF(14.5, 12.5, 6, 8));
    page(p, QRectF(16.5, 14.5, 6, 8));
    horizontalArrow(p, 8, 10, 21, QColor(30, 90, 200));
    horizontalArrow(p, 16, 14, 3, QColor(200, 90, 30));
  });
}

}  // namespace velmar

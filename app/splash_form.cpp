#include "app/splash_form.h"

#include "app/base/call_trace.h"
#include "app/base/debug_log.h"

#include <QApplication>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

namespace {

// The product picture: the name on a quiet gradient, with room for the version line.
QPixmap ProductPicture() {
  TRACE_ROUTINE("splash", "ProductPicture");
  QPixmap picture(420, 220);
  QPainter painter(&picture);
  QLinearGradient background(0, 0, 0, picture.height());
  background.setColorAt(0, QColor(0x1f, 0x3a, 0x5f));
  background.setColorAt(1, QColor(0x10, 0x1e, 0x33));
  painter.fillRect(picture.rect(), background);
  painter.setPen(QColor(0xf0, 0xf0, 0xf0));
  QFont title = QApplication::font();
  title.setPointSize(28);
  title.setBold(true);
  painter.setFont(title);
  painter.drawText(picture.rect().adjusted(0, 0, 0, -50), Qt::AlignCenter, QStringLiteral("Faultbook"));
  return picture;
}

}  // namespace

QString SplashVersionText(const QString &version) {
  TRACE_ROUTINE("splash", "SplashVersionText");
  const qsizetype dot = version.indexOf(u'.');
  return QStringLiteral("Version ") + (dot < 0 ? version : version.left(dot + 2));
}

TSplashForm::TSplashForm(const QString &version) : QSplashScreen(ProductPicture()) {
  TRACE_ROUTINE("splash", "TSplashForm.Create");
  showMessage(SplashVersionText(version), Qt::AlignHCenter | Qt::AlignBottom, QColor(0xd0, 0xd8, 0xe0));
}

void TSplashForm::ShowSplashScreen() {
  TRACE_ROUTINE("splash", "TSplashForm.ShowSplashScreen");
  DebugLog(QStringLiteral("Display splash screen."));
  show();
  raise();
  repaint();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

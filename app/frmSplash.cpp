#include "app/frmSplash.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "explorer/Icons.h"

namespace brindlex {

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_progress(new QProgressBar(this))
{
    setObjectName(QStringLiteral("frmSplash"));
    auto* picture = new QLabel(this);
    picture->setPixmap(programIcon().pixmap(QSize(64, 64), devicePixelRatio()));
    picture->setAlignment(Qt::AlignCenter);
    auto* title = new QLabel(tr("Brindlex"), this);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);
    auto* description = new QLabel(tr("Web Resource Organizer"), this);
    description->setAlignment(Qt::AlignCenter);
    m_progress->setObjectName(QStringLiteral("PB1"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->addWidget(picture);
    layout->addWidget(title);
    layout->addWidget(description);
    layout->addSpacing(8);
    layout->addWidget(m_progress);
    setAutoFillBackground(true);
    resize(360, 220);
}

void frmSplash::setStep(int value)
{
    m_progress->setValue(value);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace brindlex

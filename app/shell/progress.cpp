#include "progress.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

TDlgRunAnalysis::TDlgRunAnalysis(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DlgRunAnalysis"));
    setWindowTitle(QStringLiteral("Tremex, Run Analysis"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    m_text = new QLabel(QStringLiteral("Computations are underway"), this);
    m_wait = new QLabel(QStringLiteral("please wait .........."), this);
    QFont bold = m_text->font();
    bold.setBold(true);
    m_text->setFont(bold);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setValue(50);
    m_bar->setTextVisible(false);
    m_bar->setMinimumWidth(280);
    layout->addWidget(m_text);
    layout->addWidget(m_wait);
    layout->addWidget(m_bar);
    m_timer = new QTimer(this);
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, [this] { TimerRunTimer(); });
    m_timer->start();
    setFixedSize(sizeHint());
}

void TDlgRunAnalysis::TimerRunTimer()
{
    const int next = m_bar->value() + 10;
    m_bar->setValue(next > m_bar->maximum() ? 0 : next);
}

void TDlgRunAnalysis::SetRunning(bool running)
{
    m_running = running;
    setWindowModality(running ? Qt::ApplicationModal : Qt::NonModal);
}

void TDlgRunAnalysis::done(int result)
{
    // accept() and reject() (Escape) end here too: the window stays while the run lasts, since
    // the end of the run is shown once the window has gone.
    if (!m_running) QDialog::done(result);
}

void TDlgRunAnalysis::closeEvent(QCloseEvent* event)
{
    if (m_running) event->ignore();
    else QDialog::closeEvent(event);
}

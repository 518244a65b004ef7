#include "helpwindow.h"

#include <QAction>
#include <QKeySequence>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

THelpWindow::THelpWindow(const QString& contents, QWidget* parent)
    : QWidget(parent, Qt::Window), m_contentsPath(contents)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("TREMEX Help"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("HelpToolBar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    // Web addresses go to the desktop's browser; the pages' own links stay here.
    m_browser->setOpenExternalLinks(true);
    m_contents = bar->addAction(QStringLiteral("&Contents"), this, [this] { ShowContents(); });
    m_contents->setObjectName(QStringLiteral("HelpHome"));
    m_back = bar->addAction(QStringLiteral("&Back"), m_browser, &QTextBrowser::backward);
    m_back->setObjectName(QStringLiteral("HelpBack"));
    m_back->setShortcut(QKeySequence::Back);
    m_back->setEnabled(false);
    m_forward = bar->addAction(QStringLiteral("&Forward"), m_browser, &QTextBrowser::forward);
    m_forward->setObjectName(QStringLiteral("HelpForward"));
    m_forward->setShortcut(QKeySequence::Forward);
    m_forward->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = m_browser->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("TREMEX Help") : title);
    });
    layout->addWidget(bar);
    layout->addWidget(m_browser, 1);
    resize(820, 720);
}

void THelpWindow::ShowContents()
{
    const QUrl contents = QUrl::fromLocalFile(m_contentsPath);
    if (m_browser->source() == contents) {
        m_browser->moveCursor(QTextCursor::Start);  // the top of the page already shown
        return;
    }
    m_browser->setSource(contents);
}

#include "helpwindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QTextDocument>
#include <QKeySequence>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// The browser of the pages. They are written for web browsers and print: the rich text of a
// text browser places an image in an unknown block (figure) beside the paragraph before it,
// with the paragraph's lines as high as the image, and leaves tables without rules. Figures
// become plain blocks, and tables, code and figures get a few rules of their own.
class THelpBrowser : public QTextBrowser {
public:
    explicit THelpBrowser(QWidget* parent) : QTextBrowser(parent)
    {
        document()->setDefaultStyleSheet(QStringLiteral(
            "table { border-collapse: collapse; margin-top: 4px; margin-bottom: 8px; }"
            "th, td { border: 1px solid #999999; padding: 2px 6px; }"
            "th { background-color: #e8e8e8; }"
            "pre { background-color: #f4f4f4; }"
            "div.figure { text-align: center; margin-top: 6px; margin-bottom: 6px; }"));
    }

    QVariant loadResource(int type, const QUrl& name) override
    {
        QVariant resource = QTextBrowser::loadResource(type, name);
        if (type != QTextDocument::HtmlResource) return resource;
        QString html = resource.toString();
        html.replace(QStringLiteral("<figure"), QStringLiteral("<div"))
            .replace(QStringLiteral("</figure>"), QStringLiteral("</div>"))
            .replace(QStringLiteral("<figcaption"), QStringLiteral("<p"))
            .replace(QStringLiteral("</figcaption>"), QStringLiteral("</p>"));
        return html;
    }
};

}  // namespace

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
    m_browser = new THelpBrowser(this);
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
    // As large as the pages want, on the screen.
    QSize size(820, 720);
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        size = size.boundedTo(area.size() * 9 / 10);
        // In the middle of the screen: a window manager's own choice may leave its foot below it.
        move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    }
    resize(size);
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

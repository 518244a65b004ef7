// The program's own help window (unit HelpWindow): `THelpWindow`.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// Help > Contents shows the help pages (help/index.html in the program's folder, one page per
// chapter, linked to each other) here, whatever the desktop has, or lacks, for HTML files. The
// tool bar goes to the contents page and back and forward through the pages seen; the links of
// a page open their page in the window (a web address goes to the desktop's browser). The
// caption is the page's title. The main window keeps one help window and shows it again.
#pragma once

#include <QString>
#include <QWidget>

class QAction;
class QTextBrowser;

class THelpWindow : public QWidget {
    Q_OBJECT

public:
    // A window of its own over `parent` (it goes with it) for the pages whose contents page is
    // the file `contents`.
    explicit THelpWindow(const QString& contents, QWidget* parent = nullptr);

    // Shows the contents page.
    void ShowContents();

    QTextBrowser* Browser() const { return m_browser; }
    QAction* ContentsAction() const { return m_contents; }
    QAction* BackAction() const { return m_back; }
    QAction* ForwardAction() const { return m_forward; }

private:
    QString m_contentsPath;
    QTextBrowser* m_browser = nullptr;
    QAction* m_contents = nullptr;
    QAction* m_back = nullptr;
    QAction* m_forward = nullptr;
};

#include "util/filedialog.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <memory>

namespace {

// The program's settings group (see app/mainform.cpp, the recent files and the text editor).
QSettings* OpenSettings()
{
    auto* settings = new QSettings(QStringLiteral("Halvane"), QStringLiteral("TREMEX"));
    settings->beginGroup(QStringLiteral("3.0.11"));
    return settings;
}

// The size of a dialog that nothing is remembered for yet.
const QSize kFirstSize(760, 460);
// The Name column shows up to this many average characters; longer names are cut.
const int kNameChars = 64;

QTreeView* DetailView(QFileDialog& dialog)
{
    // The dialog's detail view (objectName "treeView"); none in a platform's own dialog.
    for (QTreeView* view : dialog.findChildren<QTreeView*>())
        if (qobject_cast<QFileSystemModel*>(view->model())) return view;
    return nullptr;
}

void StoreSize(const QSize& size)
{
    const std::unique_ptr<QSettings> settings(OpenSettings());
    settings->setValue(FileDialog::kSizeValue, size);
}

}  // namespace

namespace FileDialog {

QSize RememberedSize()
{
    const std::unique_ptr<QSettings> settings(OpenSettings());
    const QSize size = settings->value(kSizeValue).toSize();
    return size.isValid() && size.width() > 0 && size.height() > 0 ? size : QSize();
}

void FitColumns(QFileDialog& dialog, bool growDialog)
{
    QTreeView* view = DetailView(dialog);
    if (!view) return;
    QHeaderView* header = view->header();
    const int nameLimit = view->fontMetrics().averageCharWidth() * kNameChars;
    const int pad = view->fontMetrics().averageCharWidth();
    int total = 0;
    for (int c = 0; c < header->count(); ++c) {
        if (header->isSectionHidden(c)) continue;
        int width = std::max(header->sectionSizeHint(c), static_cast<const QAbstractItemView*>(view)->sizeHintForColumn(c)) + pad;
        if (c == 0) width = std::min(width, std::max(nameLimit, header->sectionSizeHint(c)));
        header->resizeSection(c, width);
        total += width;
    }
    if (!growDialog) return;
    // The dialog grows by what the columns lack in the view (with room for a vertical bar).
    const int lacking = total + view->verticalScrollBar()->sizeHint().width() + 2 * view->frameWidth() -
                        view->width();
    if (lacking <= 0) return;
    int width = dialog.width() + lacking;
    if (const QScreen* screen = dialog.screen()) width = std::min(width, screen->availableGeometry().width());
    if (width > dialog.width()) dialog.resize(width, dialog.height());
}

void Prepare(QFileDialog& dialog)
{
    const QSize remembered = RememberedSize();
    dialog.resize(remembered.isValid() ? remembered : kFirstSize.expandedTo(dialog.sizeHint()));
    QPointer<QFileDialog> guard(&dialog);
    // The first folder listed may widen the dialog; later ones only fit the columns.
    auto grown = std::make_shared<bool>(false);
    if (auto* model = dialog.findChild<QFileSystemModel*>()) {
        QObject::connect(model, &QFileSystemModel::directoryLoaded, &dialog, [guard, grown](const QString&) {
            if (!guard) return;
            // The rows of the folder are in the view once the events of the load are through.
            QTimer::singleShot(0, guard, [guard, grown] {
                if (!guard) return;
                FitColumns(*guard, !*grown);
                *grown = true;
            });
        });
    }
    QObject::connect(&dialog, &QDialog::finished, &dialog, [guard] {
        if (guard) StoreSize(guard->size());
    });
}

int Exec(QFileDialog& dialog)
{
    Prepare(dialog);
    return dialog.exec();
}

QString OpenFileName(QWidget* parent, const QString& caption, const QString& folder, const QString& filter)
{
    QFileDialog dialog(parent, caption, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (Exec(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
}

QString SaveFileName(QWidget* parent, const QString& caption, const QString& folder, const QString& filter,
                     bool confirmOverwrite)
{
    QFileDialog dialog(parent, caption, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
    if (Exec(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
}

}  // namespace FileDialog

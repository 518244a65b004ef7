// The program's file dialogs: every column of the detail view reads in full, and the size the
// user gives a dialog is the size of the next one.
#include "util/filedialog.h"

#include "widget_fixture.h"

#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeView>

namespace {

class FileDialogTest : public WidgetTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(settings.isValid() && folder.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
        // Files whose sizes, types and names are the texts of the columns.
        const struct {
            const char* name;
            qint64 size;
        } files[] = {{"pump-foundation.tmx", 877},   {"pump-foundation.tmo", 48213},
                     {"notes.txt", 12},              {"response.bmp", 1234567},
                     {"a project with a long name and blanks in it.tmx", 4096}};
        for (const auto& f : files) {
            QFile file(folder.filePath(QString::fromLatin1(f.name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            ASSERT_TRUE(file.resize(f.size));
        }
        fileCount = int(std::size(files));
    }

    // The dialog's detail view once the folder is listed and its columns fitted.
    QTreeView* Listed(QFileDialog& dialog)
    {
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setViewMode(QFileDialog::Detail);
        FileDialog::Prepare(dialog);
        dialog.show();
        QTreeView* view = nullptr;
        for (QTreeView* v : dialog.findChildren<QTreeView*>())
            if (qobject_cast<QFileSystemModel*>(v->model())) view = v;
        if (!view) return nullptr;
        const QModelIndex root = view->rootIndex();
        EXPECT_TRUE(QTest::qWaitFor([&] { return view->model()->rowCount(root) == fileCount; }, 10000));
        QApplication::processEvents();  // the fitting after the listing
        return view;
    }

    QTemporaryDir settings;
    QTemporaryDir folder;
    int fileCount = 0;
};

TEST_F(FileDialogTest, EveryColumnReadsInFull)
{
    QFileDialog dialog(nullptr, QStringLiteral("Open"), folder.path(), QStringLiteral("All Files (*)"));
    QTreeView* view = Listed(dialog);
    ASSERT_NE(view, nullptr);
    QHeaderView* header = view->header();
    ASSERT_GE(header->count(), 4);  // Name, Size, Type, Date Modified
    const QModelIndex root = view->rootIndex();
    for (int c = 0; c < header->count(); ++c) {
        if (header->isSectionHidden(c)) continue;
        SCOPED_TRACE(header->model()->headerData(c, Qt::Horizontal).toString().toStdString());
        EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c)) << "the caption reads";
        for (int r = 0; r < view->model()->rowCount(root); ++r) {
            const QModelIndex index = view->model()->index(r, c, root);
            QStyleOptionViewItem option;
            option.initFrom(view);
            option.font = view->font();
            const int needed = view->itemDelegateForIndex(index)->sizeHint(option, index).width();
            EXPECT_LE(needed, header->sectionSize(c)) << index.data().toString().toStdString();
        }
    }
    // All columns side by side in the view: nothing to scroll to.
    EXPECT_LE(header->length(), view->viewport()->width());
    dialog.reject();
}

TEST_F(FileDialogTest, TheSizeTheUserGivesIsTheSizeOfTheNextDialog)
{
    EXPECT_FALSE(FileDialog::RememberedSize().isValid());
    {
        QFileDialog dialog(nullptr, QStringLiteral("Save As"), folder.path(), QStringLiteral("All Files (*)"));
        ASSERT_NE(Listed(dialog), nullptr);
        dialog.resize(1100, 640);  // the user drags the dialog's corner
        dialog.reject();
    }
    EXPECT_EQ(FileDialog::RememberedSize(), QSize(1100, 640));
    QSettings stored(QStringLiteral("Halvane"), QStringLiteral("TREMEX"));
    EXPECT_EQ(stored.value(QStringLiteral("3.0.11/File Dialog Size")).toSize(), QSize(1100, 640));

    QFileDialog next(nullptr, QStringLiteral("Open"), folder.path(), QStringLiteral("All Files (*)"));
    ASSERT_NE(Listed(next), nullptr);
    EXPECT_EQ(next.size(), QSize(1100, 640));
    next.reject();
}

}  // namespace

// The program's other writers of the user's files under the same faults as the project files: the
// amplitude dialog's text export, a plot window's bitmap and its page printed to a PDF file (as
// every print command does it), and the 3-D view's bitmap, each over an
// earlier file of the same name on a disk that is full or fills part-way through the write, and
// on a file that cannot be written. The earlier file stays byte for byte, no temporary file is
// left, and the message names the file and the system's reason.
#include "mainform_fixture.h"
#include "projectbuild.h"
#include "smalldisk.h"

#include "ampplot.h"
#include "gl/block.h"
#include "plotform.h"
#include "pltdata.h"
#include "project.h"
#include "util/guard.h"

#include <QImage>
#include <QPrinter>

#include <functional>
#include <map>

namespace {

using SmallDisk::Listing;
using SmallDisk::TDisk;
using SmallDisk::TReadOnly;

class WriterFaultTest : public MainFormTest {
protected:
    void SetUp() override
    {
        MainFormTest::SetUp();
        ASSERT_TRUE(SmallDisk::PrivateMountsProblem().isEmpty())
            << "the fault tests need mounts of their own (root, or user namespaces): "
            << SmallDisk::PrivateMountsProblem().toStdString();
        plot.SetCaption(QStringLiteral("Translational Stiffnesses"));
        plot.SetXCaption(QStringLiteral("Frequency (Hz)"));
        plot.SetYCaption(QStringLiteral("Translational Stiffness"));
        plot.SetLineCount(2);
        plot.SetPointCount(20);
        for (int k = 0; k < 2; ++k)
            for (int j = 0; j < 20; ++j) {
                plot.Points(k, j)->X = j + 1;
                plot.Points(k, j)->Y = (k + 1) * 1.0e5L * (j + 1);
            }
    }

    // A picture of some size with something on it (a bitmap of several pages).
    static QImage Picture()
    {
        QImage picture(240, 160, QImage::Format_RGB888);
        picture.fill(Qt::white);
        for (int x = 0; x < 240; ++x) picture.setPixel(x, x * 2 / 3, qRgb(0, 0, 255));
        return picture;
    }

    TGraphPlot plot;
    TGraphPlot dxyz, mxyz;
    TProject project;
};

enum class Fault { Unwritable, DiskFull, FillsPartWay };

const char* Name(Fault f)
{
    return f == Fault::Unwritable ? "unwritable" : f == Fault::DiskFull ? "disk full" : "fills part-way";
}

TEST_F(WriterFaultTest, AnExportOrBitmapThatFailsLeavesTheEarlierFileWholeAndSaysWhichAndWhy)
{
    TDlgAmpPlot amplitude(project, &dxyz, &mxyz);
    amplitude.show();
    TPlotForm plotWindow(&plot);
    plotWindow.show();
    QApplication::processEvents();

    struct TWriter {
        const char* what;
        const char* name;
        std::function<void(const QString& path)> write;  // as the command does it, message included
    };
    const std::vector<TWriter> writers = {
        {"amplitude export", "amp.txt",
         [&](const QString& path) {
             if (QFileInfo::exists(path)) recorder.QueueAnswer(MessageSink::Answer::Yes);  // overwrite it
             amplitude.ExportTo(path);
         }},
        {"plot bitmap", "kxx.bmp",
         [&](const QString& path) {
             QImage bitmap = Picture();
             Guard::Run(&plotWindow, [&] { plotWindow.SaveBitmap(bitmap, path); });  // as Save To Disk does
         }},
        {"plot printed to a PDF file", "kxx.pdf",
         [&](const QString& path) {
             // What Print does with "Print to File (PDF)" chosen in the print dialog.
             QPrinter printer(QPrinter::HighResolution);
             printer.setOutputFormat(QPrinter::PdfFormat);
             printer.setOutputFileName(path);
             Guard::Run(&plotWindow, [&] { plotWindow.PrintTo(printer); });
             EXPECT_EQ(printer.outputFileName(), path);
         }},
        {"3-D view bitmap", "view.bmp",
         [&](const QString& path) {
             // What Save Bitmap does with the picture drawn off-screen (which needs a display).
             Guard::Run(nullptr, [&] { TDlgBlock::WriteBitmap(path, Picture()); });
         }},
    };

    for (const TWriter& writer : writers) {
        for (Fault fault : {Fault::Unwritable, Fault::DiskFull, Fault::FillsPartWay}) {
            SCOPED_TRACE(std::string(writer.what) + ", " + Name(fault));
            const QString folder = work.filePath(QStringLiteral("disk"));
            TDisk disk(folder, 256);
            ASSERT_TRUE(disk.Problem().isEmpty()) << disk.Problem().toStdString();
            const QString path = folder + QLatin1Char('/') + QLatin1String(writer.name);

            // What the command writes on an ordinary disk: its size sets the room left below.
            recorder.Clear();
            writer.write(path);
            ASSERT_EQ(recorder.Count(), 0) << recorder.LastText().toStdString();
            const qint64 size = QFileInfo(path).size();
            ASSERT_GT(size, 0);
            // The user's earlier file, which the failed write must leave as it is.
            {
                QFile old(path);
                ASSERT_TRUE(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
                ASSERT_EQ(old.write("the earlier file\r\n"), 18);
            }

            std::unique_ptr<TReadOnly> readOnly;
            QString reason = QStringLiteral("No space left on device");
            if (fault == Fault::Unwritable) {
                readOnly = std::make_unique<TReadOnly>(path);
                ASSERT_TRUE(readOnly->Problem().isEmpty()) << readOnly->Problem().toStdString();
                reason = QStringLiteral("Read-only file system");
            } else if (fault == Fault::DiskFull) {
                EXPECT_EQ(disk.LeaveFree(0), 0);
            } else {
                // Room for the first pages of the new file only.
                const qint64 room = (size / 2) / 4096 * 4096;
                if (room == 0) continue;  // a file of one page cannot fail part-way
                ASSERT_EQ(disk.LeaveFree(room), room);
            }
            const std::map<QString, QByteArray> before = SmallDisk::Snapshot(folder);
            recorder.Clear();
            writer.write(path);
            const std::map<QString, QByteArray> after = SmallDisk::Snapshot(folder);
            EXPECT_TRUE(after == before) << "every file as it was, no temporary file left: " << Listing(before)
                                         << "before, " << Listing(after) << "after";
            EXPECT_EQ(build::ReadBytes(path), QByteArray("the earlier file\r\n"));
            EXPECT_EQ(recorder.LastText(),
                      QStringLiteral("The file ") + path + QStringLiteral(" could not be written: ") + reason);
        }
    }
}

}  // namespace

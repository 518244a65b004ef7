#include "forms/layoutform.h"

#include "dataunit.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>

namespace {

QString g_pictureFolder;

}  // namespace

namespace LayoutForm {

QString PictureFile(const QString& word)
{
    if (word == QLatin1String("HALF-SPACE")) return QStringLiteral("halfspace.bmp");
    if (word == QLatin1String("PILE")) return QStringLiteral("pile.bmp");
    if (word == QLatin1String("STRATUM")) return QStringLiteral("stratum.bmp");
    if (word == QLatin1String("MULTILAYER")) return QStringLiteral("multilayer.bmp");
    return QString();
}

QString PictureFolder()
{
    return g_pictureFolder.isEmpty() ? QCoreApplication::applicationDirPath() : g_pictureFolder;
}

void SetPictureFolder(const QString& folder) { g_pictureFolder = folder; }

}  // namespace LayoutForm

TfrmLayout::TfrmLayout(TProject& project, QWidget* parent) : TDataForm(project, parent)
{
    setWindowTitle(QStringLiteral("Foundation Options"));
    auto* label = new QLabel(QStringLiteral("Footing Type"), this);
    label->setGeometry(24, 20, 100, 24);
    ComboBox1 = new QComboBox(this);
    ComboBox1->addItems({QStringLiteral("HALF-SPACE"), QStringLiteral("PILE"), QStringLiteral("STRATUM"),
                         QStringLiteral("MULTILAYER")});
    ComboBox1->setGeometry(128, 18, 180, 26);
    label->setBuddy(ComboBox1);
    Image1 = new QLabel(this);
    Image1->setAlignment(Qt::AlignCenter);
    connect(ComboBox1, &QComboBox::activated, this, [this] { Guarded([this] { ComboBox1Change(); }); });
    SetClientSize(706, 442);
}

void TfrmLayout::Loaded()
{
    TProgramData& d = Data();
    const QSignalBlocker blocker(ComboBox1);
    const int index = ComboBox1->findText(d.FoundationWord);
    ComboBox1->setCurrentIndex(index);
    m_wordAtActivation = d.FoundationWord;
    ShowPicture();
    UpdateFootingType();
}

void TfrmLayout::ComboBox1Change()
{
    Data().FoundationWord = ComboBox1->currentText();
    ShowPicture();
    UpdateFootingType();
}

void TfrmLayout::Stored()
{
    TProgramData& d = Data();
    if (ComboBox1->currentIndex() >= 0) d.FoundationWord = ComboBox1->currentText();
    if (d.FoundationWord != m_wordAtActivation) {
        MarkModified();
        m_wordAtActivation = d.FoundationWord;
    }
    UpdateFootingType();
    emit UpdateFoundationMenus();
}

void TfrmLayout::UpdateFootingType()
{
    TProgramData& d = Data();
    const QString& w = d.FoundationWord;
    if (w == QLatin1String("HALF-SPACE")) d.FoundationCode = 1;
    else if (w == QLatin1String("PILE")) d.FoundationCode = 2;
    else if (w == QLatin1String("STRATUM")) d.FoundationCode = 3;
    else if (w == QLatin1String("MULTILAYER")) d.FoundationCode = 4;
}

void TfrmLayout::ShowPicture()
{
    const QString file = LayoutForm::PictureFile(Data().FoundationWord);
    if (file.isEmpty()) return;  // the previous picture stays
    QPixmap picture;
    const QString path = QDir(LayoutForm::PictureFolder()).filePath(file);
    if (!QFileInfo::exists(path) || !picture.load(path)) picture = QPixmap();
    Image1->setPixmap(picture);
    PlacePicture();
}

void TfrmLayout::PlacePicture()
{
    const QPixmap picture = Image1->pixmap();
    if (picture.isNull()) {
        Image1->hide();
        return;
    }
    // Centred across the form, below the choice.
    const int left = qRound((width() - picture.width()) / 2.0);
    Image1->setGeometry(left, 60, picture.width(), picture.height());
    Image1->show();
}

void TfrmLayout::resizeEvent(QResizeEvent* event)
{
    TDataForm::resizeEvent(event);
    PlacePicture();
}

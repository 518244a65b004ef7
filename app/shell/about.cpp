#include "about.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TAboutBox::TAboutBox(const QString& version, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    auto* layout = new QVBoxLayout(this);
    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    auto* inner = new QVBoxLayout(panel);
    auto* product = new QLabel(QStringLiteral("TREMEX"), panel);
    QFont big = product->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    product->setFont(big);
    m_version = new QLabel(QStringLiteral("Version ") + version, panel);
    auto* purpose = new QLabel(QStringLiteral("Dynamic analysis of machine foundations:\n"
                                              "rigid footings, embedded and multilayer foundations,\n"
                                              "single piles and pile groups under harmonic,\n"
                                              "transient and random loading."),
                               panel);
    auto* maker = new QLabel(QStringLiteral("Halvane"), panel);
    inner->addWidget(product);
    inner->addWidget(m_version);
    inner->addSpacing(8);
    inner->addWidget(purpose);
    inner->addSpacing(8);
    inner->addWidget(maker);
    layout->addWidget(panel);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

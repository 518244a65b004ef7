// Shared set-up of the plot-window tests: a plot of three stiffness-like curves over 0 to 25 Hz
// and a shown window whose paint box has a chosen size.
#pragma once

#include "plotform.h"
#include "pltdata.h"

#include "util/messages.h"

#include <QApplication>
#include <QImage>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

class PlotWindowTest : public ::testing::Test {
protected:
    // Curve k at frequency x (Hz): values between 0 and 2.3e6.
    static long double Value(int k, int x)
    {
        switch (k) {
        case 0: return 2.3e6L * x / 25;
        case 1: return 1.5e6L + 20000.0L * x;
        default: return 1.0e6L - 1000.0L * x * x;
        }
    }

    void SetUp() override
    {
        plot.SetCaption(QStringLiteral("Translational Stiffnesses"));
        plot.SetXCaption(QStringLiteral("Frequency (Hz)"));
        plot.SetYCaption(QStringLiteral("Translational Stiffness"));
        plot.SetYUnits(QStringLiteral("F/L2"));
        plot.SetXOnTop(false);
        plot.SetLineCount(3);
        plot.SetPointCount(26);
        for (int k = 0; k < 3; ++k)
            for (int j = 0; j < 26; ++j) {
                plot.Points(k, j)->X = j;
                plot.Points(k, j)->Y = Value(k, j);
            }
        plot.Lines(0)->Name = QStringLiteral("Kxx");
        plot.Lines(1)->Name = QStringLiteral("Kyy");
        plot.Lines(2)->Name = QStringLiteral("Kww");
    }

    // A shown window whose drawing area is width x height pixels. With the default size the plot
    // rectangle runs from (41, 31) to (641, 431): 600 by 400 pixels.
    std::unique_ptr<TPlotForm> Open(int width = 672, int height = 472)
    {
        auto form = std::make_unique<TPlotForm>(&plot);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        Resize(*form, width, height);
        return form;
    }

    static void Resize(TPlotForm& form, int width, int height)
    {
        for (int i = 0; i < 3; ++i) {
            const QSize box = form.PaintBox()->size();
            if (box == QSize(width, height)) break;
            form.resize(form.width() + width - box.width(), form.height() + height - box.height());
            QApplication::processEvents();
        }
        ASSERT_EQ(form.PaintBox()->size(), QSize(width, height));
    }

    static QImage Shot(TPlotForm& form) { return form.PaintBox()->grab().toImage(); }

    static int CountColour(const QImage& image, QRgb rgb)
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF)) ++n;
        return n;
    }

    MessageRecorder recorder;
    ScopedMessageSink sink{&recorder};
    TGraphPlot plot;
};

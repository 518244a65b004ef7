// The OpenGL surface control: context, capabilities, paints, errors, bitmap fonts, the
// off-screen surface and the mouse events.
#include "gl/glwindow.h"

#include "gl_fixture.h"

#include <QApplication>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A shown control of the given size whose context exists.
void ShowAndWait(TglWindow& w, int width = 200, int height = 150)
{
    w.resize(width, height);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.grabFramebuffer();  // at the latest now the context exists
    ASSERT_TRUE(w.HasContext());
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, buttons, modifiers);
    QApplication::sendEvent(w, &event);
}

}  // namespace

TEST(GlWindow, ContextIsCreatedWithTheWindowFormatAndDefaults)
{
    TglWindow w;
    EXPECT_FALSE(w.HasContext());
    EXPECT_EQ(w.FOV(), 45.0);
    EXPECT_EQ(w.EyePosition().Z(), 1.0);
    EXPECT_EQ(w.EyePosition().X(), 0.0);
    EXPECT_EQ(w.UpVector().Y(), 1.0);
    EXPECT_EQ(w.ViewPosition().Z(), 0.0);
    EXPECT_EQ(w.LightCount(), 8);
    EXPECT_FALSE(w.TakeSetupDone());
    EXPECT_TRUE(w.TakeSetupDone());
    w.RequestSetup();
    EXPECT_FALSE(w.TakeSetupDone());

    ShowAndWait(w);
    EXPECT_TRUE(gltest::kEnvironment);
    EXPECT_EQ(qgetenv("LIBGL_ALWAYS_SOFTWARE"), QByteArray("1"));
    const QSurfaceFormat f = w.context()->format();
    EXPECT_GE(f.depthBufferSize(), 24);
    EXPECT_GE(f.redBufferSize(), 8);
    EXPECT_NE(f.profile(), QSurfaceFormat::CoreProfile);
    w.MakeCurrent();
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    ASSERT_NE(renderer, nullptr);
    std::printf("GL renderer: %s, version %s\n", renderer, reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    // The 1.1 calls work: a matrix goes in and comes back column after column.
    TglWindow::MatrixMode(TglWindow::MODELVIEW);
    TglWindow::LoadIdentity();
    TglWindow::Translated(1, 2, 3);
    long double m[16];
    TglWindow::GetMatrix(TglWindow::MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[12], 1.0L);
    EXPECT_EQ(m[13], 2.0L);
    EXPECT_EQ(m[14], 3.0L);
    int viewport[4];
    TglWindow::GetViewport(viewport);
    EXPECT_EQ(viewport[2], 200);
    EXPECT_EQ(viewport[3], 150);
    w.ReleaseContext();
    EXPECT_NE(QOpenGLContext::currentContext(), w.context());
    // A new context asks the owner for a new set-up.
    EXPECT_FALSE(w.TakeSetupDone());
}

TEST(GlWindow, CapabilitiesWrittenBeforeTheContextReachIt)
{
    TglWindow w;
    w.SetBlending(true);
    w.SetDepthTesting(false);
    w.SetShadeModel(TGLShadeModel::glFlat);
    EXPECT_TRUE(w.Blending());
    EXPECT_FALSE(w.DepthTesting());
    ShowAndWait(w);
    EXPECT_TRUE(w.Blending());
    EXPECT_FALSE(w.DepthTesting());
    EXPECT_FALSE(w.Fog());
    EXPECT_EQ(w.GetShadeModel(), TGLShadeModel::glFlat);
    // Written now, asked of the context.
    w.SetBlending(false);
    w.SetLighting(true);
    w.SetShadeModel(TGLShadeModel::glSmooth);
    w.MakeCurrent();
    EXPECT_EQ(glIsEnabled(GL_BLEND), GL_FALSE);
    EXPECT_EQ(glIsEnabled(GL_LIGHTING), GL_TRUE);
    GLint shade = 0;
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    EXPECT_EQ(shade, GL_SMOOTH);
    w.ReleaseContext();
}

TEST(GlWindow, PaintsDrawOnlyWithAHandlerAndWritesInsideDoNotRepaint)
{
    TglWindow w;
    ShowAndWait(w);
    w.grabFramebuffer();
    EXPECT_EQ(w.FrameCount(), 0);  // no OnPaint: nothing drawn

    int requestsInPaint = -1;
    w.OnPaint = [&] {
        const int before = w.RepaintRequests();
        w.SetDepthTesting(true);  // a state access inside the paint
        requestsInPaint = w.RepaintRequests() - before;
        TglWindow::ClearColor(0, 0, 1, 1);
        TglWindow::Clear(TglWindow::COLOR_BUFFER_BIT);
    };
    const QImage frame = w.grabFramebuffer();
    EXPECT_GE(w.FrameCount(), 1);
    EXPECT_EQ(requestsInPaint, 0);
    EXPECT_EQ(frame.pixel(10, 10) & 0xFFFFFFu, 0x0000FFu);
    // Outside a paint, a write releases the context and asks for a repaint.
    const int before = w.RepaintRequests();
    w.SetDepthTesting(false);
    EXPECT_EQ(w.RepaintRequests(), before + 1);
    EXPECT_NE(QOpenGLContext::currentContext(), w.context());
}

TEST(GlWindow, InvalidOperationAfterAStateAccessRaises)
{
    TglWindow w;
    ShowAndWait(w);
    const int before = w.RepaintRequests();
    w.BeginGLCall();
    TglWindow::End();  // glEnd without glBegin: GL_INVALID_OPERATION
    try {
        w.EndGLCall();
        FAIL() << "no exception";
    } catch (const EOpenGL& e) {
        EXPECT_EQ(e.message(), QStringLiteral("operation cannot be performed between glBegin and glEnd"));
    }
    // Released and repainted before the exception left.
    EXPECT_NE(QOpenGLContext::currentContext(), w.context());
    EXPECT_EQ(w.RepaintRequests(), before + 1);
    // Other codes are dropped.
    w.BeginGLCall();
    TglWindow::Enable(0x1234);  // GL_INVALID_ENUM
    EXPECT_NO_THROW(w.EndGLCall());
}

TEST(GlWindow, OffscreenSurfaceAndBitmapFont)
{
    TglBitmap bitmap(64, 32);
    TglWindow::BuildFontLists();
    EXPECT_EQ(glIsList(TglWindow::kFontListBase + 'A'), GL_TRUE);
    EXPECT_EQ(glIsList(TglWindow::kFontListBase + 0), GL_TRUE);
    EXPECT_EQ(glIsList(TglWindow::kFontListBase + 254), GL_TRUE);
    EXPECT_EQ(glIsList(TglWindow::kFontListBase + 255), GL_FALSE);  // no list for code 255

    TglWindow::ClearColor(1, 1, 1, 1);
    TglWindow::Clear(TglWindow::COLOR_BUFFER_BIT);
    TglWindow::MatrixMode(TglWindow::PROJECTION);
    TglWindow::LoadIdentity();
    TglWindow::Ortho(0, 64, 0, 32, -1, 1);
    TglWindow::MatrixMode(TglWindow::MODELVIEW);
    TglWindow::LoadIdentity();
    TglWindow::Color4f(1, 0, 0, 1);
    TglWindow::DrawText3D(QStringLiteral("WM"), 4, 10, 0);
    const QImage image = bitmap.Image();
    EXPECT_EQ(image.size(), QSize(64, 32));
    EXPECT_EQ(image.format(), QImage::Format_RGB888);
    EXPECT_EQ(image.depth(), 24);
    int red = 0, other = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) {
            const QRgb p = image.pixel(x, y);
            if ((p & 0xFFFFFFu) == 0xFF0000u) {
                ++red;
                // The text starts at x = 4 on the base line 10 pixels above the bottom row.
                EXPECT_GE(x, 4);
                EXPECT_LE(y, 32 - 10 + 4) << "below the base line at " << x << ", " << y;
            } else if ((p & 0xFFFFFFu) != 0xFFFFFFu) {
                ++other;
            }
        }
    EXPECT_GT(red, 20);
    EXPECT_EQ(other, 0);

    // Right-aligned: the text ends 4 pixels before the point, drawn directly and from a list.
    const int width = TglWindow::TextWidth(QStringLiteral("WM"));
    EXPECT_GT(width, 10);
    for (bool fromList : {false, true}) {
        SCOPED_TRACE(fromList ? "display list" : "direct");
        TglWindow::Clear(TglWindow::COLOR_BUFFER_BIT);
        if (fromList) {
            TglWindow::NewList(7, TglWindow::COMPILE);
            TglWindow::DrawText3D(QStringLiteral("WM"), 60, 10, 0, true);
            TglWindow::EndList();
            TglWindow::CallList(7);
        } else {
            TglWindow::DrawText3D(QStringLiteral("WM"), 60, 10, 0, true);
        }
        const QImage right = bitmap.Image();
        int minX = 64, maxX = -1;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 64; ++x)
                if ((right.pixel(x, y) & 0xFFFFFFu) == 0xFF0000u) {
                    minX = std::min(minX, x);
                    maxX = std::max(maxX, x);
                }
        EXPECT_LT(maxX, 56);
        EXPECT_GE(minX, 56 - width - 1);
    }
}

TEST(GlWindow, OffscreenSurfaceRefusesAnEmptySize)
{
    try {
        TglBitmap bitmap(0, 10);
        FAIL() << "no exception";
    } catch (const EOpenGL& e) {
        EXPECT_EQ(e.message(), QStringLiteral("SetPixelFormat failed"));
    }
}

TEST(GlWindow, MouseEventsArePassedOnUnchanged)
{
    TglWindow w;
    ShowAndWait(w);
    QStringList seen;
    auto text = [](TShiftState s) { return QString::number(uint32_t(s.toInt())); };
    w.OnMouseDown = [&](TMouseButton b, TShiftState s, int x, int y) {
        seen << QStringLiteral("down %1 %2 %3 %4").arg(int(b)).arg(text(s)).arg(x).arg(y);
    };
    w.OnMouseMove = [&](TShiftState s, int x, int y) { seen << QStringLiteral("move %1 %2 %3").arg(text(s)).arg(x).arg(y); };
    w.OnMouseUp = [&](TMouseButton b, TShiftState s, int x, int y) {
        seen << QStringLiteral("up %1 %2 %3 %4").arg(int(b)).arg(text(s)).arg(x).arg(y);
    };
    int clicks = 0;
    w.OnClick = [&] { ++clicks; };
    SendMouse(&w, QEvent::MouseButtonPress, {10, 20}, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    SendMouse(&w, QEvent::MouseMove, {15, 25}, Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
    SendMouse(&w, QEvent::MouseButtonRelease, {16, 26}, Qt::LeftButton, Qt::NoButton, Qt::ShiftModifier);
    SendMouse(&w, QEvent::MouseButtonPress, {30, 40}, Qt::RightButton, Qt::RightButton, Qt::ControlModifier);
    const QString shiftLeft = text(ssShift | ssLeft);
    ASSERT_EQ(seen.size(), 4);
    EXPECT_EQ(seen[0], QStringLiteral("down 0 %1 10 20").arg(shiftLeft));
    EXPECT_EQ(seen[1], QStringLiteral("move %1 15 25").arg(shiftLeft));
    EXPECT_EQ(seen[2], QStringLiteral("up 0 %1 16 26").arg(text(ssShift)));
    EXPECT_EQ(seen[3], QStringLiteral("down 1 %1 30 40").arg(text(ssCtrl | ssRight)));
    EXPECT_EQ(clicks, 1);
}

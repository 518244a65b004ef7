// OpenGL surface control of the 3-D view (unit glWindow): `TglWindow`, its stored companions
// `Tgl3Vector` and `TglLight`, the off-screen surface `TglBitmap` and the exception `EOpenGL`.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// `TglWindow` is a QOpenGLWidget with a compatibility-profile context on which the drawing uses
// the OpenGL 1.1 API (immediate mode, matrix stack, display lists). Qt draws the widget through
// its own frame buffer and shows it when the paint is done, which stands for the double-buffered
// window surface: a frame is never seen half drawn, and the last frame stays on screen until the
// next paint. Each paint with an `OnPaint` handler draws one frame; without a handler a paint
// draws nothing.
//
// Between paints no context is current for the control: a state access (the capability
// properties, ShadeModel) makes it current (BeginGLCall) and releases it again with a repaint
// request (EndGLCall), except inside `OnPaint`. A capability written before the context exists
// is kept and given to the context when it is created.
//
// Bitmap fonts: BuildFontLists compiles one display list per character code 0 to 254 (list
// 1000 + code) in the current context, each a glBitmap of the glyph of the program's system
// font; DrawText3D draws a text through them at a 3-D raster position. The window's context
// rebuilds the lists by itself when Qt creates it anew (a widget moved to another top-level
// window gets a new context); a new context also asks its owner for a new set-up
// (TakeSetupDone returns false), since the owner's display lists went with the old one.
//
// `TglBitmap` is the surface for drawing into a bitmap: a context of its own with a frame
// buffer of the given size, 24 colour bits and a depth buffer, current while the object lives;
// Image() reads the picture as a 24-bit QImage.
//
//     TglBitmap bitmap(w, h);            // raises EOpenGL; the context is now current
//     TglWindow::BuildFontLists();
//     ... draw ...
//     QImage picture = bitmap.Image();
#pragma once

#include "util/exceptions.h"

#include <QColor>
#include <QFlags>
#include <QImage>
#include <QList>
#include <QOpenGLWidget>
#include <QString>
#include <QSurfaceFormat>

#include <GL/gl.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;
class TglWindow;

// A failure of the OpenGL surface: "ChoosePixelFormat failed" (no context of the needed format
// can be made), "SetPixelFormat failed" (the context cannot be bound to its surface),
// "operation cannot be performed between glBegin and glEnd" (GL_INVALID_OPERATION after a state
// access).
class EOpenGL : public Exception {
public:
    using Exception::Exception;
};

// Keys and buttons held during a mouse event.
enum TShiftFlag : uint32_t {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
};
using TShiftState = QFlags<TShiftFlag>;
Q_DECLARE_OPERATORS_FOR_FLAGS(TShiftState)

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

enum class TGLShadeModel { glFlat, glSmooth };

// A stored camera vector of the control; setting a part repaints the owner. Nothing draws with it.
class Tgl3Vector {
public:
    explicit Tgl3Vector(TglWindow* owner) : m_owner(owner) {}
    double X() const { return m_x; }
    double Y() const { return m_y; }
    double Z() const { return m_z; }
    void SetX(double value);
    void SetY(double value);
    void SetZ(double value);

private:
    TglWindow* m_owner;
    double m_x = 0, m_y = 0, m_z = 0;
};

// A light object of the control: it only registers itself with its owner.
class TglLight {
public:
    explicit TglLight(TglWindow* owner);
    ~TglLight();
    TglLight(const TglLight&) = delete;
    TglLight& operator=(const TglLight&) = delete;

private:
    TglWindow* m_owner;
};

class TglWindow : public QOpenGLWidget {
    Q_OBJECT

public:
    // First display list of the bitmap font; lists cover the character codes 0 to 254.
    static constexpr GLuint kFontListBase = 1000;
    static constexpr int kFontCharCount = 255;

    explicit TglWindow(QWidget* owner = nullptr);
    ~TglWindow() override;

    // Surface formats: the window's (double-buffered RGBA, 24 colour bits, depth buffer,
    // compatibility profile) and the off-screen bitmap's (single-buffered, 24 colour bits,
    // depth buffer).
    static QSurfaceFormat WindowPixelFormat();
    static QSurfaceFormat BitmapPixelFormat();
    // What the application needs before it is made (call before constructing QApplication):
    // contexts shared with the window's compositor, so that a 3-D view made after an earlier
    // one was freed is shown (it stayed black otherwise).
    static void PrepareApplication();

    // true once Qt created a valid context for the control.
    bool HasContext() const;

    // Context handling (see the header comment). Without a context they do nothing.
    void MakeCurrent();
    void ReleaseContext();
    void BeginGLCall();
    void EndGLCall();
    // GL_INVALID_OPERATION raises EOpenGL; other codes are dropped.
    static void CheckGLError();
    // Reads and drops every pending GL error of the current context.
    static void DropGLErrors();

    // Set-up flag of the owner: TakeSetupDone returns it and sets it; RequestSetup clears it.
    bool TakeSetupDone();
    void RequestSetup() { m_setupDone = false; }

    // Capabilities: reading asks the context, writing enables or disables at once.
    bool Blending() { return GetCapability(GL_BLEND); }
    void SetBlending(bool value) { SetCapability(GL_BLEND, value); }
    bool PolygonFiltering() { return GetCapability(GL_POLYGON_SMOOTH); }
    void SetPolygonFiltering(bool value) { SetCapability(GL_POLYGON_SMOOTH, value); }
    bool DepthTesting() { return GetCapability(GL_DEPTH_TEST); }
    void SetDepthTesting(bool value) { SetCapability(GL_DEPTH_TEST, value); }
    bool Fog() { return GetCapability(GL_FOG); }
    void SetFog(bool value) { SetCapability(GL_FOG, value); }
    bool Lighting() { return GetCapability(GL_LIGHTING); }
    void SetLighting(bool value) { SetCapability(GL_LIGHTING, value); }
    bool GetCapability(GLenum index);
    void SetCapability(GLenum index, bool value);

    TGLShadeModel GetShadeModel();
    void SetShadeModel(TGLShadeModel value);

    // Stored properties; the drawing never reads them.
    QColor BackgroundColor() const { return m_backgroundColor; }
    void SetBackgroundColor(const QColor& value);
    double FOV() const { return m_fov; }
    void SetFOV(double value);
    Tgl3Vector& EyePosition() const { return *m_eye; }
    Tgl3Vector& UpVector() const { return *m_up; }
    Tgl3Vector& ViewPosition() const { return *m_viewPosition; }
    int LightCount() const { return int(m_lights.size()); }

    // Events. OnPaint draws one frame with the context current; OnCreate is stored only (the
    // owner calls its set-up itself).
    std::function<void()> OnPaint;
    std::function<void()> OnCreate;
    std::function<void()> OnClick;
    std::function<void(TMouseButton, TShiftState, int x, int y)> OnMouseDown;
    std::function<void(TMouseButton, TShiftState, int x, int y)> OnMouseUp;
    std::function<void(TShiftState, int x, int y)> OnMouseMove;

    // Bitmap font of the current context (lists 1000 to 1254) and 3-D text through it, in the
    // current colour at the projected point. Characters outside Latin-1 or code 255 draw nothing.
    static void BuildFontLists();
    // With alignRight the text ends a few pixels before the projected point instead of
    // starting there.
    static void DrawText3D(const QString& text, long double x, long double y, long double z,
                           bool alignRight = false);
    // The width of a text in the bitmap font, in pixels.
    static int TextWidth(const QString& text);
    // true when the window's context holds the font lists.
    bool FontListsInContext() const { return m_fontListsBuilt; }
    // Builds the font lists in the window's context now, or as soon as it exists.
    void BuildWindowFontLists();

    // Queries of the current context: a matrix (column after column) and the viewport.
    static void GetMatrix(GLenum which, long double dest[16]);
    static void GetViewport(int dest[4]);

    int Width() const { return width(); }
    int Height() const { return height(); }
    void SetSize(int w, int h) { resize(w, h); }

    // Frames drawn by an OnPaint handler since construction.
    int FrameCount() const { return m_frameCount; }
    // Repaint requests made by EndGLCall and the stored-property setters.
    int RepaintRequests() const { return m_repaintRequests; }
    // The text of the last exception an OnPaint handler raised (painting goes on without it).
    QString LastPaintError() const { return m_lastPaintError; }

    // Repaint request of the control.
    void Repaint();

    // Forwarding operations, one per OpenGL call, on the current context.
    static void MatrixMode(GLenum mode) { glMatrixMode(mode); }
    static void Clear(GLbitfield mask) { glClear(mask); }
    static void Enable(GLenum cap) { glEnable(cap); }
    static void Disable(GLenum cap) { glDisable(cap); }
    static void Begin(GLenum mode) { glBegin(mode); }
    static void End() { glEnd(); }
    static void Finish() { glFinish(); }
    static void Rotated(long double angle, long double x, long double y, long double z)
    {
        glRotated(double(angle), double(x), double(y), double(z));
    }
    static void Translated(long double x, long double y, long double z)
    {
        glTranslated(double(x), double(y), double(z));
    }
    static void Scaled(long double x, long double y, long double z)
    {
        glScaled(double(x), double(y), double(z));
    }
    static void Ortho(long double left, long double right, long double bottom, long double top,
                      long double zNear, long double zFar)
    {
        glOrtho(double(left), double(right), double(bottom), double(top), double(zNear), double(zFar));
    }
    static void Vertex3d(long double x, long double y, long double z)
    {
        glVertex3d(double(x), double(y), double(z));
    }
    static void Color4f(long double r, long double g, long double b, long double a)
    {
        glColor4f(float(r), float(g), float(b), float(a));
    }
    static void ClearColor(long double r, long double g, long double b, long double a)
    {
        glClearColor(float(r), float(g), float(b), float(a));
    }
    static void LoadIdentity() { glLoadIdentity(); }
    static void BlendFunc(GLenum sfactor, GLenum dfactor) { glBlendFunc(sfactor, dfactor); }
    static void PushMatrix() { glPushMatrix(); }
    static void PopMatrix() { glPopMatrix(); }
    static GLenum GetError() { return glGetError(); }
    static void CallList(GLuint list) { glCallList(list); }
    static void EndList() { glEndList(); }
    static void NewList(GLuint list, GLenum mode) { glNewList(list, mode); }
    static void ShadeModel(GLenum mode) { glShadeModel(mode); }

    // The OpenGL constants the owner uses.
    static constexpr GLenum MODELVIEW = GL_MODELVIEW;
    static constexpr GLenum MODELVIEW_MATRIX = GL_MODELVIEW_MATRIX;
    static constexpr GLenum PROJECTION = GL_PROJECTION;
    static constexpr GLbitfield COLOR_BUFFER_BIT = GL_COLOR_BUFFER_BIT;
    static constexpr GLbitfield DEPTH_BUFFER_BIT = GL_DEPTH_BUFFER_BIT;
    static constexpr GLenum DEPTH_TEST = GL_DEPTH_TEST;
    static constexpr GLenum LINES = GL_LINES;
    static constexpr GLenum LINE_STRIP = GL_LINE_STRIP;
    static constexpr GLenum TRIANGLE_FAN = GL_TRIANGLE_FAN;
    static constexpr GLenum COMPILE = GL_COMPILE;
    static constexpr GLenum BLEND = GL_BLEND;
    static constexpr GLenum SRC_ALPHA = GL_SRC_ALPHA;
    static constexpr GLenum ONE_MINUS_SRC_ALPHA = GL_ONE_MINUS_SRC_ALPHA;
    static constexpr GLenum SMOOTH = GL_SMOOTH;
    static constexpr GLenum CULL_FACE = GL_CULL_FACE;

protected:
    void initializeGL() override;
    void paintGL() override;
    void resizeGL(int w, int h) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    friend class TglLight;
    void DropErrorsAfterMouse();

    QColor m_backgroundColor = Qt::white;
    double m_fov = 45.0;
    std::unique_ptr<Tgl3Vector> m_eye, m_up, m_viewPosition;
    QList<TglLight*> m_lights;
    std::vector<std::unique_ptr<TglLight>> m_ownedLights;
    bool m_inPaint = false;
    bool m_setupDone = false;
    bool m_fontListsWanted = false;
    bool m_fontListsBuilt = false;
    bool m_pressed = false;
    std::map<GLenum, bool> m_pendingCaps;  // written before the context existed
    bool m_pendingShadeSet = false;
    TGLShadeModel m_pendingShade = TGLShadeModel::glSmooth;
    int m_frameCount = 0;
    int m_repaintRequests = 0;
    QString m_lastPaintError;
};

// An off-screen OpenGL surface of its own context (see the header comment).
class TglBitmap {
public:
    // Creates the context and the frame buffer and makes them current; raises EOpenGL.
    TglBitmap(int width, int height);
    ~TglBitmap();
    TglBitmap(const TglBitmap&) = delete;
    TglBitmap& operator=(const TglBitmap&) = delete;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // The picture drawn so far, 24 bits per pixel, top row first.
    QImage Image();

private:
    int m_width, m_height;
    std::unique_ptr<QOffscreenSurface> m_surface;
    std::unique_ptr<QOpenGLContext> m_context;
    std::unique_ptr<QOpenGLFramebufferObject> m_fbo;
};

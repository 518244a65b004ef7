// OpenGL surface control of the 3-D view (unit glWindow).
#include "glwindow.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QPainter>

#include <algorithm>
#include <vector>

namespace {

const QString kChooseFailed = QStringLiteral("ChoosePixelFormat failed");
const QString kSetFailed = QStringLiteral("SetPixelFormat failed");
const QString kInvalidOperation = QStringLiteral("operation cannot be performed between glBegin and glEnd");

// One glyph of the bitmap font as glBitmap wants it: rows bottom first, 8 pixels a byte with
// the leftmost pixel in the highest bit, rows of whole bytes.
struct TGlyphBitmap {
    int width = 0;
    int height = 0;
    int descent = 0;
    int advance = 0;
    std::vector<GLubyte> bits;
};

// The program's system font: the platform's general font at a fixed pixel size, bold and
// without antialiasing (a bitmap font has one bit a pixel).
QFont SystemFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(13);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// The glyphs of character codes 0 to 254, rendered once per process.
const std::vector<TGlyphBitmap>& FontGlyphs()
{
    static const std::vector<TGlyphBitmap> glyphs = [] {
        std::vector<TGlyphBitmap> result(TglWindow::kFontCharCount);
        const QFont font = SystemFont();
        const QFontMetrics metrics(font);
        for (int code = 0; code < TglWindow::kFontCharCount; ++code) {
            TGlyphBitmap& g = result[size_t(code)];
            const QChar ch = QChar::fromLatin1(char(code));
            // Control characters have no glyph and do not move the raster position.
            if (code < 32 || (code >= 127 && code < 160)) continue;
            g.advance = metrics.horizontalAdvance(ch);
            g.width = std::max(g.advance, 1);
            g.height = metrics.height();
            g.descent = metrics.descent();
            QImage image(g.width, g.height, QImage::Format_Grayscale8);
            image.fill(0);
            {
                QPainter p(&image);
                p.setFont(font);
                p.setPen(Qt::white);
                p.drawText(0, metrics.ascent(), QString(ch));
            }
            const int rowBytes = (g.width + 7) / 8;
            g.bits.assign(size_t(rowBytes * g.height), 0);
            for (int row = 0; row < g.height; ++row) {
                const uchar* line = image.constScanLine(g.height - 1 - row);
                for (int x = 0; x < g.width; ++x) {
                    if (line[x] >= 128) g.bits[size_t(row * rowBytes + x / 8)] |= GLubyte(0x80 >> (x % 8));
                }
            }
        }
        return result;
    }();
    return glyphs;
}

TShiftState ShiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState s;
    if (modifiers & Qt::ShiftModifier) s |= ssShift;
    if (modifiers & Qt::AltModifier) s |= ssAlt;
    if (modifiers & Qt::ControlModifier) s |= ssCtrl;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

bool ButtonOf(Qt::MouseButton button, TMouseButton& result)
{
    switch (button) {
    case Qt::LeftButton: result = TMouseButton::mbLeft; return true;
    case Qt::RightButton: result = TMouseButton::mbRight; return true;
    case Qt::MiddleButton: result = TMouseButton::mbMiddle; return true;
    default: return false;
    }
}

// Hourglass cursor for the time of one paint.
class TWaitCursor {
public:
    TWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};

}  // namespace

// ---- Tgl3Vector, TglLight ----

void Tgl3Vector::SetX(double value)
{
    m_x = value;
    if (m_owner) m_owner->Repaint();
}

void Tgl3Vector::SetY(double value)
{
    m_y = value;
    if (m_owner) m_owner->Repaint();
}

void Tgl3Vector::SetZ(double value)
{
    m_z = value;
    if (m_owner) m_owner->Repaint();
}

TglLight::TglLight(TglWindow* owner) : m_owner(owner)
{
    if (m_owner) m_owner->m_lights.append(this);
}

TglLight::~TglLight()
{
    if (m_owner) m_owner->m_lights.removeOne(this);
}

// ---- TglWindow ----

TglWindow::TglWindow(QWidget* owner)
    : QOpenGLWidget(owner),
      m_eye(std::make_unique<Tgl3Vector>(this)),
      m_up(std::make_unique<Tgl3Vector>(this)),
      m_viewPosition(std::make_unique<Tgl3Vector>(this))
{
    setFormat(WindowPixelFormat());
    // The frame buffer is kept between paints: a newly exposed area shows the last frame.
    setUpdateBehavior(QOpenGLWidget::PartialUpdate);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_eye->SetZ(1.0);
    m_up->SetY(1.0);
    for (int i = 0; i < 8; ++i) m_ownedLights.push_back(std::make_unique<TglLight>(this));
    m_repaintRequests = 0;
}

TglWindow::~TglWindow()
{
    m_ownedLights.clear();
    // The context goes with the widget.
}

QSurfaceFormat TglWindow::WindowPixelFormat()
{
    QSurfaceFormat f;
    f.setRenderableType(QSurfaceFormat::OpenGL);
    f.setProfile(QSurfaceFormat::CompatibilityProfile);
    f.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    f.setRedBufferSize(8);
    f.setGreenBufferSize(8);
    f.setBlueBufferSize(8);
    f.setDepthBufferSize(24);
    return f;
}

void TglWindow::PrepareApplication() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

QSurfaceFormat TglWindow::BitmapPixelFormat()
{
    QSurfaceFormat f = WindowPixelFormat();
    f.setSwapBehavior(QSurfaceFormat::SingleBuffer);
    return f;
}

bool TglWindow::HasContext() const
{
    return context() && context()->isValid();
}

void TglWindow::MakeCurrent()
{
    if (!HasContext()) return;
    // Outside a paint makeCurrent also binds the control's frame buffer again.
    if (!m_inPaint) makeCurrent();
}

void TglWindow::ReleaseContext()
{
    if (!HasContext() || m_inPaint) return;
    if (QOpenGLContext::currentContext() == context()) doneCurrent();
}

void TglWindow::BeginGLCall()
{
    MakeCurrent();
    if (HasContext()) DropGLErrors();
}

void TglWindow::EndGLCall()
{
    if (!HasContext()) return;
    try {
        CheckGLError();
    } catch (const EOpenGL&) {
        if (!m_inPaint) {
            ReleaseContext();
            Repaint();
        }
        throw;
    }
    if (!m_inPaint) {
        ReleaseContext();
        Repaint();
    }
}

void TglWindow::CheckGLError()
{
    const GLenum code = glGetError();
    if (code == GL_INVALID_OPERATION) throw EOpenGL(kInvalidOperation);
}

void TglWindow::DropGLErrors()
{
    // A context without a current surface keeps returning an error: give up after a few.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

bool TglWindow::TakeSetupDone()
{
    const bool done = m_setupDone;
    m_setupDone = true;
    return done;
}

bool TglWindow::GetCapability(GLenum index)
{
    if (!HasContext()) {
        auto it = m_pendingCaps.find(index);
        return it != m_pendingCaps.end() && it->second;
    }
    BeginGLCall();
    const bool value = glIsEnabled(index) == GL_TRUE;
    EndGLCall();
    return value;
}

void TglWindow::SetCapability(GLenum index, bool value)
{
    m_pendingCaps[index] = value;
    if (!HasContext()) return;
    BeginGLCall();
    if (value)
        glEnable(index);
    else
        glDisable(index);
    EndGLCall();
}

TGLShadeModel TglWindow::GetShadeModel()
{
    if (!HasContext()) return m_pendingShadeSet ? m_pendingShade : TGLShadeModel::glSmooth;
    BeginGLCall();
    GLint mode = 0;
    glGetIntegerv(GL_SHADE_MODEL, &mode);
    EndGLCall();
    return mode == GL_SMOOTH ? TGLShadeModel::glSmooth : TGLShadeModel::glFlat;
}

void TglWindow::SetShadeModel(TGLShadeModel value)
{
    m_pendingShadeSet = true;
    m_pendingShade = value;
    if (!HasContext()) return;
    BeginGLCall();
    glShadeModel(value == TGLShadeModel::glSmooth ? GL_SMOOTH : GL_FLAT);
    EndGLCall();
}

void TglWindow::SetBackgroundColor(const QColor& value)
{
    m_backgroundColor = value;
    Repaint();
}

void TglWindow::SetFOV(double value)
{
    m_fov = value;
    Repaint();
}

void TglWindow::Repaint()
{
    ++m_repaintRequests;
    update();
}

void TglWindow::BuildFontLists()
{
    const std::vector<TGlyphBitmap>& glyphs = FontGlyphs();
    GLint alignment = 4, rowLength = 0, skipRows = 0, skipPixels = 0, lsbFirst = 0, swap = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
    glGetIntegerv(GL_UNPACK_SKIP_ROWS, &skipRows);
    glGetIntegerv(GL_UNPACK_SKIP_PIXELS, &skipPixels);
    glGetIntegerv(GL_UNPACK_LSB_FIRST, &lsbFirst);
    glGetIntegerv(GL_UNPACK_SWAP_BYTES, &swap);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    for (int code = 0; code < kFontCharCount; ++code) {
        const TGlyphBitmap& g = glyphs[size_t(code)];
        glNewList(kFontListBase + GLuint(code), GL_COMPILE);
        static const GLubyte kNoPixels[1] = {0};
        if (g.bits.empty())
            glBitmap(0, 0, 0, 0, GLfloat(g.advance), 0, kNoPixels);
        else
            glBitmap(g.width, g.height, 0, GLfloat(g.descent), GLfloat(g.advance), 0, g.bits.data());
        glEndList();
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, skipRows);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, skipPixels);
    glPixelStorei(GL_UNPACK_LSB_FIRST, lsbFirst);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, swap);
}

void TglWindow::BuildWindowFontLists()
{
    m_fontListsWanted = true;
    if (!HasContext()) return;
    const bool wasCurrent = QOpenGLContext::currentContext() == context();
    if (!wasCurrent) makeCurrent();
    BuildFontLists();
    m_fontListsBuilt = true;
    if (!wasCurrent && !m_inPaint) doneCurrent();
}

int TglWindow::TextWidth(const QString& text)
{
    const std::vector<TGlyphBitmap>& glyphs = FontGlyphs();
    int width = 0;
    for (const char c : text.toLatin1()) {
        const int code = uchar(c);
        if (code < kFontCharCount) width += glyphs[size_t(code)].advance;
    }
    return width;
}

void TglWindow::DrawText3D(const QString& text, long double x, long double y, long double z, bool alignRight)
{
    const QByteArray bytes = text.toLatin1();
    glRasterPos3f(float(x), float(y), float(z));
    // A bitmap of no pixels only moves the raster position (with a data pointer: some drivers
    // drop a move without one from a display list).
    static const GLubyte kNoPixels[1] = {0};
    if (alignRight) glBitmap(0, 0, 0, 0, -GLfloat(TextWidth(text) + 4), 0, kNoPixels);
    glListBase(kFontListBase);
    glCallLists(GLsizei(bytes.size()), GL_UNSIGNED_BYTE, bytes.constData());
    glListBase(0);
}

void TglWindow::GetMatrix(GLenum which, long double dest[16])
{
    GLdouble m[16] = {};
    glGetDoublev(which, m);
    for (int i = 0; i < 16; ++i) dest[i] = m[i];
}

void TglWindow::GetViewport(int dest[4])
{
    GLint v[4] = {};
    glGetIntegerv(GL_VIEWPORT, v);
    for (int i = 0; i < 4; ++i) dest[i] = v[i];
}

void TglWindow::initializeGL()
{
    // A new context: the capabilities written so far, the font lists when they were asked for,
    // and a new set-up of the owner (its display lists went with any old context).
    for (const auto& [cap, on] : m_pendingCaps) {
        if (on)
            glEnable(cap);
        else
            glDisable(cap);
    }
    if (m_pendingShadeSet) glShadeModel(m_pendingShade == TGLShadeModel::glSmooth ? GL_SMOOTH : GL_FLAT);
    m_fontListsBuilt = false;
    if (m_fontListsWanted) {
        BuildFontLists();
        m_fontListsBuilt = true;
    }
    m_setupDone = false;
    DropGLErrors();
}

void TglWindow::paintGL()
{
    TWaitCursor wait;
    if (!OnPaint) return;
    m_inPaint = true;
    try {
        OnPaint();
    } catch (const std::exception& e) {
        m_lastPaintError = Exception::WhatText(e);
    }
    m_inPaint = false;
    DropGLErrors();
    glFlush();
    ++m_frameCount;
}

void TglWindow::resizeGL(int w, int h)
{
    const qreal ratio = devicePixelRatioF();
    glViewport(0, 0, GLsizei(w * ratio), GLsizei(h * ratio));
}

void TglWindow::DropErrorsAfterMouse()
{
    if (!HasContext() || m_inPaint) return;
    const bool wasCurrent = QOpenGLContext::currentContext() == context();
    if (!wasCurrent) makeCurrent();
    DropGLErrors();
    if (!wasCurrent) doneCurrent();
}

void TglWindow::mousePressEvent(QMouseEvent* event)
{
    TMouseButton button;
    if (!ButtonOf(event->button(), button)) return;
    if (button == TMouseButton::mbLeft) m_pressed = true;
    const QPoint pos = event->position().toPoint();
    if (OnMouseDown) OnMouseDown(button, ShiftOf(event->modifiers(), event->buttons()), pos.x(), pos.y());
    DropErrorsAfterMouse();
}

void TglWindow::mouseReleaseEvent(QMouseEvent* event)
{
    TMouseButton button;
    if (!ButtonOf(event->button(), button)) return;
    const QPoint pos = event->position().toPoint();
    if (OnMouseUp) OnMouseUp(button, ShiftOf(event->modifiers(), event->buttons()), pos.x(), pos.y());
    if (button == TMouseButton::mbLeft && m_pressed) {
        m_pressed = false;
        if (OnClick && rect().contains(pos)) OnClick();
    }
    DropErrorsAfterMouse();
}

void TglWindow::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (OnMouseMove) OnMouseMove(ShiftOf(event->modifiers(), event->buttons()), pos.x(), pos.y());
    DropErrorsAfterMouse();
}

// ---- TglBitmap ----

TglBitmap::TglBitmap(int width, int height) : m_width(width), m_height(height)
{
    if (width <= 0 || height <= 0) throw EOpenGL(kSetFailed);
    m_context = std::make_unique<QOpenGLContext>();
    m_context->setFormat(TglWindow::BitmapPixelFormat());
    if (!m_context->create()) throw EOpenGL(kChooseFailed);
    m_surface = std::make_unique<QOffscreenSurface>();
    m_surface->setFormat(m_context->format());
    m_surface->create();
    if (!m_surface->isValid() || !m_context->makeCurrent(m_surface.get())) throw EOpenGL(kSetFailed);
    QOpenGLFramebufferObjectFormat format;
    format.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
    m_fbo = std::make_unique<QOpenGLFramebufferObject>(QSize(width, height), format);
    if (!m_fbo->isValid() || !m_fbo->bind()) {
        m_fbo.reset();
        m_context->doneCurrent();
        throw EOpenGL(kSetFailed);
    }
    glViewport(0, 0, width, height);
    TglWindow::DropGLErrors();
}

TglBitmap::~TglBitmap()
{
    if (m_context && m_surface && m_context->makeCurrent(m_surface.get())) {
        m_fbo.reset();
        m_context->doneCurrent();
    }
}

QImage TglBitmap::Image()
{
    if (QOpenGLContext::currentContext() != m_context.get()) m_context->makeCurrent(m_surface.get());
    m_fbo->bind();
    glFinish();
    std::vector<GLubyte> pixels(size_t(m_width) * size_t(m_height) * 3);
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, m_width, m_height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    QImage image(m_width, m_height, QImage::Format_RGB888);
    const size_t rowBytes = size_t(m_width) * 3;
    for (int y = 0; y < m_height; ++y) {
        // OpenGL rows run bottom first.
        std::copy_n(pixels.data() + size_t(m_height - 1 - y) * rowBytes, rowBytes, image.scanLine(y));
    }
    return image;
}

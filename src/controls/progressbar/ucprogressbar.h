#pragma once

#include "controls/progressbar/progressbarmodel.h"
#include "controls/progressbar/progressbarpainter.h"
#include "forms/colour.h"
#include "forms/font.h"
#include "forms/picture.h"
#include "forms/propertybag.h"
#include "forms/surface.h"

#include <QWidget>

namespace tarvo {

// A bar drawn from two pictures: the background picture (which also fixes the control's
// size) and the part of the foreground picture that matches Value's place between Min
// and Max, with an optional centred caption. Set by its host or by the mouse.
//
// Naming: the enabled state is QWidget's own (setEnabled; Enabled() reads this widget's
// own flag, not the one inherited from a disabled parent). The caption font is
// BarFont()/setBarFont so as not to hide QWidget::font.
//
// Setters that validate raise runtime::RuntimeError (380 for a value out of range, 6 for
// an overflow) and then leave every field unchanged. Drawing never fails.
class ucProgressBar final : public QWidget {
    Q_OBJECT
public:
    explicit ucProgressBar(QWidget* parent = nullptr);

    // The bound value: Min <= Value <= Max after every successful assignment. Each
    // assignment redraws the bar; Change, ArrivedLast, ArrivedFirst follow when the value
    // differs from the one last reported.
    int Value() const { return m_model.value; }
    void setValue(int value);
    int Min() const { return m_model.min; }
    void setMin(int value); // also moves Value to the new Min
    int Max() const { return m_model.max; }
    void setMax(int value); // keeps Value, even above the new Max
    int Span() const { return m_model.span; }
    int LastValue() const { return m_lastValue; }

    int CaptionFormat() const { return m_model.captionFormat; }
    void setCaptionFormat(int format);
    QString CaptionCustom() const { return m_model.captionCustom; }
    void setCaptionCustom(const QString& text);
    int Orientation() const { return m_model.orientation; }
    void setOrientation(int orientation); // shows at the next redraw

    forms::Picture BarPictureFore() const { return m_model.fore; }
    void setBarPictureFore(forms::Picture picture);
    forms::Picture BarPictureBack() const { return m_back; }
    void setBarPictureBack(forms::Picture picture);

    bool Enabled() const { return !testAttribute(Qt::WA_ForceDisabled); }
    forms::Font BarFont() const { return m_surface.font(); }
    void setBarFont(forms::Font font);
    forms::OleColor FontColor() const { return m_surface.foreColor(); }
    void setFontColor(forms::OleColor colour);
    qint16 MousePointer() const { return m_mousePointer; }
    void setMousePointer(qint64 shape); // Overflow (6) outside 16 bits
    forms::Picture MouseIcon() const { return m_mouseIcon; }
    void setMouseIcon(forms::Picture picture); // a picture that is no cursor is ignored

    void Refresh();
    // Runs the sizing the host triggers whenever it changes the control's extent: the
    // control takes the pixel size of its background picture, then redraws.
    void Resize();
    // The value under a point of the control (pixels), clamped into [Min, Max].
    int ValueFromPoint(float x, float y) const;

    // Host life cycle: a new instance, loading a stored one (nothing is drawn until the
    // host sites it and calls Resize), saving one.
    void InitProperties(const forms::Font& ambient);
    void ReadProperties(const forms::PropertyBag& bag, const forms::Font& ambient);
    void WriteProperties(forms::PropertyBag& bag) const;

    const ProgressBarModel& model() const { return m_model; }
    forms::Surface& surface() { return m_surface; }
    const forms::Surface& surface() const { return m_surface; }
    const ProgressBarPainter& painter() const { return m_painter; }
    bool isDragging() const { return m_dragging; }

    QSize sizeHint() const override { return m_surface.size(); }

signals:
    void Click();
    void ArrivedFirst();
    void ArrivedLast();
    void Change();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // Mouse handling in the surface's terms: buttons 1 left, 2 right, 4 middle; shift
    // 1 Shift, 2 Ctrl, 4 Alt; positions in pixels.
    void onMouseDown(int button, int shift, float x, float y);
    void onMouseMove(int button, int shift, float x, float y);
    void onMouseUp();
    void onDblClick();
    void applyCursor();

    ProgressBarModel m_model;
    forms::Picture m_back = forms::PictureObject::none();
    int m_lastValue = 0;
    forms::Font m_ambient;
    qint16 m_mousePointer = 0;
    forms::Picture m_mouseIcon = forms::PictureObject::none();

    bool m_dragging = false;
    qint16 m_lastButton = 0;
    qint16 m_lastShift = 0;
    float m_lastX = 0;
    float m_lastY = 0;
    bool m_clickArmed = false;

    forms::Surface m_surface;
    ProgressBarPainter m_painter;
};

} // namespace tarvo

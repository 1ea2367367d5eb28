#pragma once

#include "forms/timer.h"
#include "main/hosts.h"
#include "main/windowstate.h"
#include "services/apistuff.h"

#include <QWidget>

#include <array>
#include <memory>

class QLabel;
class QPlainTextEdit;

namespace tarvo {

class ucProgressBar;
class MicTitleBar;
class FormTitleBarHost;
class tqbutton;
namespace forms {
class ImageControl;
class SurfaceWidget;
} // namespace forms
namespace platform {
struct PlatformServices;
class IWebPane;
} // namespace platform

// The main window: a fixed 728 x 472 dashboard driven by four timers. Its handlers run
// step by step: a failing step is abandoned and the next one runs.
class form1 final : public QWidget {
    Q_OBJECT
public:
    static constexpr int BarCount = 3;

    explicit form1(platform::PlatformServices& services, Hosts hosts = {},
                   QWidget* parent = nullptr);
    ~form1() override;

    // False when another copy already runs: the notice was shown and this copy ends.
    bool Form_Load();
    void Form_Unload();

    void Timer1_Timer(); // latency probe
    void Timer2_Timer(); // sampling tick
    void Timer3_Timer(); // one animation step per busy bar
    void Timer4_Timer(); // graph feed

    void showConnection();
    void showTotals();
    void showLatencyRating(bool connected, qint16 score);

    void WebBrowser1_DocumentComplete(const QString& URL);
    void WebBrowser2_DocumentComplete(const QString& URL);
    ucProgressBar& bar(int index) const;
    forms::Timer& timer(int number);
    APIStuff& apiStuff() { return m_apiStuff; }

signals:
    // The window was unloaded: the program ends.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void createControls();
    void connectTimers();
    // Starts bar i towards its target; true when the sampling tick must end here.
    bool startBarAnimation(int index);
    forms::ImageControl* ratingHolder(int bracket) const;

    platform::PlatformServices& m_services;
    Hosts m_hosts;
    APIStuff m_apiStuff;
    WindowState m_state;
    bool m_loaded = false;

    // The window's own drawing surface, under every child control.
    forms::SurfaceWidget* m_formSurface = nullptr;
    std::unique_ptr<FormTitleBarHost> m_titleBarHost;
    MicTitleBar* m_MicTitleBar1 = nullptr;
    forms::SurfaceWidget* m_Picture1 = nullptr;
    platform::IWebPane* m_WebBrowser1 = nullptr;
    QLabel* m_label5 = nullptr;
    forms::SurfaceWidget* m_Picture3 = nullptr;
    QLabel* m_Label1 = nullptr;
    std::array<ucProgressBar*, BarCount> m_ucProgressBar{};
    QLabel* m_Label2 = nullptr;
    QLabel* m_Label3 = nullptr;
    forms::ImageControl* m_Image1_0 = nullptr;
    forms::ImageControl* m_Image10 = nullptr;
    QLabel* m_Label4 = nullptr;
    QLabel* m_lblRecv = nullptr;
    QLabel* m_lblSent = nullptr;
    QLabel* m_Label6 = nullptr;
    forms::SurfaceWidget* m_Picture2 = nullptr;
    platform::IWebPane* m_WebBrowser2 = nullptr;
    tqbutton* m_tqbutton1 = nullptr;
    QPlainTextEdit* m_Text1 = nullptr;
    // Image1(1), Image2 ... Image7: the icons of the seven latency brackets.
    std::array<forms::ImageControl*, 7> m_ratingHolders{};
    forms::ImageControl* m_Image11 = nullptr;

    forms::Timer m_Timer1;
    forms::Timer m_Timer2;
    forms::Timer m_Timer3;
    forms::Timer m_Timer4;
};

} // namespace tarvo

// Progress window of the run of an analysis (unit RunAnalysis): `TDlgRunAnalysis`.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// Shown while the engine runs: "Computations are underway", "please wait ..........", and a bar
// from 0 to 100 that starts at 50 and moves on by 10 every 100 ms, back to 0 past the end. The
// engine runs on a worker thread, so the bar keeps moving during the call. While a run lasts
// (SetRunning) the window is application-modal and cannot be closed.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QTimer;

class TDlgRunAnalysis : public QDialog {
    Q_OBJECT

public:
    explicit TDlgRunAnalysis(QWidget* parent = nullptr);

    QProgressBar* ProgressBar() const { return m_bar; }
    QTimer* TimerRun() const { return m_timer; }
    // One timer tick: the bar moves on by 10, or back to 0 when that would pass the maximum.
    void TimerRunTimer();
    // Set while the engine runs: modal for the whole application; nothing ends the window
    // meanwhile (Escape, the close button or the window system's close, accept, reject or done),
    // only SetRunning(false) and hide(). Call while the window is hidden.
    void SetRunning(bool running);
    bool Running() const { return m_running; }
    void done(int result) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* m_text = nullptr;
    QLabel* m_wait = nullptr;
    QProgressBar* m_bar = nullptr;
    QTimer* m_timer = nullptr;
    bool m_running = false;
};

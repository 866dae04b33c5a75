#pragma once

#include <QDialog>
#include <memory>

class CManipListener;
class CManipWnd;
class CPresetBox;
class QBoxLayout;
class QLabel;
struct Services;

// What the Edit Envelope, Stereo Panning and Compressor / Expander dialogs share: the curve
// editor over placeholder 1066 with its readout 1074, the preset box of the dialog's category
// with "&Reset", OK and Cancel. A derived dialog adds its own controls to the side column
// before the presets, then calls Finish.
class CCurveDlg : public QDialog {
    Q_OBJECT
public:
    ~CCurveDlg() override;

    CManipWnd* Curve() const { return m_curve; }

protected:
    CCurveDlg(Services& services, const QString& title, QWidget* parent);
    // `resetMode` is the dialog's starting shape; the listener formats its readout.
    void Finish(const char* category, int resetMode, std::unique_ptr<CManipListener> listener);
    QLabel* Readout() const { return m_readout; }
    QBoxLayout* SideColumn() const { return m_side; }

    Services& m_services;

private:
    CManipWnd* m_curve;
    QLabel* m_readout;
    QBoxLayout* m_side;
    CPresetBox* m_presets = nullptr;
    std::unique_ptr<CManipListener> m_listener;
};

#pragma once

#include <QWidget>

class CSampleProperties;
class SettingsStore;
struct Services;

// The floating tool window "Sample Properties" of the main frame, one for the whole run. Its
// close box only hides it; where it stands and whether it shows are kept in the settings.
class CMiniPropDlg : public QWidget {
    Q_OBJECT
public:
    CMiniPropDlg(Services& services, QWidget* owner);

    CSampleProperties* Sheet() const { return m_sheet; }

    // Places the window from the settings, inside a screen, and shows it as they say.
    void LoadPlacement(const SettingsStore& settings);
    void SavePlacement(SettingsStore& settings) const;
    // The Properties command: shows the window, now and when the next sample is bound.
    void ShowProperties();

protected:
    void closeEvent(QCloseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    CSampleProperties* m_sheet;
};

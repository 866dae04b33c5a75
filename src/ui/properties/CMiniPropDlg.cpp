#include "ui/properties/CMiniPropDlg.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "core/settings/SettingsStore.h"
#include "ui/properties/CSampleProperties.h"

namespace {

constexpr const char* kGeneralKey = "General";
constexpr const char* kXValue = "PropertiesX";
constexpr const char* kYValue = "PropertiesY";
constexpr const char* kVisibleValue = "PropertiesVisible";
constexpr uint32_t kDefaultX = 600;
constexpr uint32_t kDefaultY = 400;

// A stored coordinate: the store keeps 32-bit numbers, negative positions included.
int Coordinate(const SettingsStore& settings, const char* name, uint32_t fallback) {
    return static_cast<int32_t>(settings.GetNumber(kGeneralKey, name).value_or(fallback));
}

// `at`, moved so that the window's top-left corner lies on a screen: a position saved with a
// screen that is gone would leave the window out of reach.
QPoint OnSomeScreen(QPoint at, QSize size) {
    if (QGuiApplication::screenAt(at) != nullptr)
        return at;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return at;
    const QRect area = screen->availableGeometry();
    return QPoint(
        std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - size.width())),
        std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - size.height())));
}

}  // namespace

CMiniPropDlg::CMiniPropDlg(Services& services, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      m_sheet(new CSampleProperties(services, this)) {
    setObjectName(QStringLiteral("MiniPropDlg"));
    setWindowTitle(QStringLiteral("Sample Properties"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_sheet);
    setFocusPolicy(Qt::StrongFocus);
    // The window fits the sheet, whatever page is shown.
    resize(sizeHint());
}

void CMiniPropDlg::LoadPlacement(const SettingsStore& settings) {
    const QPoint at(Coordinate(settings, kXValue, kDefaultX),
                    Coordinate(settings, kYValue, kDefaultY));
    move(OnSomeScreen(at, size()));
    const uint32_t visible =
        settings.GetNumber(kGeneralKey, kVisibleValue).value_or(CSampleProperties::kShown);
    const int state = visible == 0 ? CSampleProperties::kHidden : CSampleProperties::kShown;
    m_sheet->SetShowState(state);
    setVisible(state == CSampleProperties::kShown);
}

void CMiniPropDlg::SavePlacement(SettingsStore& settings) const {
    settings.SetNumber(kGeneralKey, kVisibleValue,
                       isVisible() ? CSampleProperties::kShown : CSampleProperties::kHidden);
    settings.SetNumber(kGeneralKey, kXValue, static_cast<uint32_t>(pos().x()));
    settings.SetNumber(kGeneralKey, kYValue, static_cast<uint32_t>(pos().y()));
}

void CMiniPropDlg::ShowProperties() {
    m_sheet->SetShowState(CSampleProperties::kShown);
    show();
    raise();
}

void CMiniPropDlg::closeEvent(QCloseEvent* event) {
    // The window lives as long as the main frame: closing it hides it until asked for again.
    m_sheet->SetShowState(CSampleProperties::kHidden);
    hide();
    event->ignore();
}

void CMiniPropDlg::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    m_sheet->setFocus(event->reason());
}

#include "ui/effects/CPresetBox.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/effects/CurveModel.h"
#include "ui/effects/CManipWnd.h"

namespace {

QPushButton* MakeButton(const char* text, const char* id, QWidget* parent) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(id));
    // Enter in the name box means OK, never Save or Delete.
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CPresetBox::CPresetBox(SettingsStore& settings, const char* category, CManipWnd* curve,
                       int resetMode, QWidget* parent)
    : QGroupBox(QStringLiteral("&Presets"), parent),
      m_settings(settings),
      m_category(category),
      m_curve(curve),
      m_resetMode(resetMode) {
    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("1050"));
    m_combo->setEditable(true);
    // Typing a name (even Enter) stores nothing until "&Save" is pressed.
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->lineEdit()->setMaxLength(kNameLimit);
    m_combo->setMinimumContentsLength(12);
    m_save = MakeButton("&Save", "1070", this);
    m_delete = MakeButton("&Delete", "1071", this);
    m_reset = MakeButton("&Reset", "1022", parent);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_save);
    buttons->addWidget(m_delete);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_combo);
    layout->addLayout(buttons);

    for (const std::string& name : CurveModel::PresetNames(m_settings, m_category))
        AddName(QString::fromStdString(name));
    m_combo->setCurrentIndex(-1);
    m_combo->setEditText(QString());

    connect(m_combo, &QComboBox::textActivated, this, &CPresetBox::OnPicked);
    connect(m_save, &QPushButton::clicked, this, &CPresetBox::OnSave);
    connect(m_delete, &QPushButton::clicked, this, &CPresetBox::OnDelete);
    connect(m_reset, &QPushButton::clicked, this, &CPresetBox::OnReset);
}

void CPresetBox::AddName(const QString& name) {
    int at = 0;
    while (at < m_combo->count() &&
           QString::compare(m_combo->itemText(at), name, Qt::CaseInsensitive) <= 0) {
        ++at;
    }
    m_combo->insertItem(at, name);
}

void CPresetBox::OnPicked(const QString& name) {
    m_curve->LoadPreset(m_settings, m_category, name.toStdString());
}

void CPresetBox::OnSave() {
    const QString name = m_combo->currentText().left(kNameLimit);
    // The store refuses an empty name (or one with a path separator): nothing to list then.
    if (!m_curve->SavePreset(m_settings, m_category, name.toStdString()))
        return;
    if (m_combo->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) {
        AddName(name);
        m_combo->setEditText(name);
    }
}

void CPresetBox::OnDelete() {
    const QString name = m_combo->currentText();
    const int index = m_combo->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        return;
    // The name stays typed in the box, as it was before the list lost it.
    m_combo->removeItem(index);
    m_combo->setCurrentIndex(-1);
    m_combo->setEditText(name);
    CurveModel::DeletePreset(m_settings, m_category, name.toStdString());
}

void CPresetBox::OnReset() {
    m_curve->Reset(m_resetMode);
    m_combo->setCurrentIndex(-1);
    m_combo->setEditText(QString());
}

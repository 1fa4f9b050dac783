#pragma once
// The object switches: the window's working copy of the process settings' object list.
#include "Settings.h"

#include <QVector>

namespace pelk {

struct RPrzelacznik
{
    QString NazwaObiektu;
    QString NazwaObiektRules;
    e_Stany ListaDozwolonychStanow = 0;
    e_Stan Stan = esBothDirection;
};

class TPrzelaczniki
{
public:
    enum LoadModes : quint8 { FromProcessSettingsMode = 0, DefaultsMode = 1 };

    TPrzelaczniki(TSettingsProcess *settings, TLog *log);

    QVector<RPrzelacznik> Items;
    quint8 LoadMode = DefaultsMode;

    bool GetSwitch(const QString &name, RPrzelacznik &out) const;
    void SetSwitch(const QString &name, const RPrzelacznik &value);
    void Load();
    void ApplyDefaults();
    void FromProcessSettings();
    void ToProcessSettings();
    static void NextState(RPrzelacznik &s);

    // Hint of the object list for an image index; empty outside 0..3.
    static QString StateHint(int imageIndex);

private:
    TSettingsProcess *m_settings;
    TLog *m_log;
};

} // namespace pelk

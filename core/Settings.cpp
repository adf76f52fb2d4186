#include "core/Settings.h"

#include <algorithm>

int ClampRadioIndex(int index, int count) {
    return std::clamp(index, -1, count - 1);
}

int ClampSpinValue(int value, int min, int max) {
    return std::clamp(value, min, max);
}

void ClampToControls(DialogSettings& s) {
    s.loeschenRG1 = ClampRadioIndex(s.loeschenRG1, kRadioCountYesNo);
    s.AutostartRG1 = ClampRadioIndex(s.AutostartRG1, kRadioCountYesNo);
    s.AuswahlRG = ClampRadioIndex(s.AuswahlRG, kRadioCountAuswahlRG);
    s.LevelRG1 = ClampRadioIndex(s.LevelRG1, kRadioCountLevelRG1);
    s.JNRG1 = ClampRadioIndex(s.JNRG1, kRadioCountYesNo);
    s.GrafikenRG1 = ClampRadioIndex(s.GrafikenRG1, kRadioCountGrafikenRG1);
    s.DPRG1 = ClampRadioIndex(s.DPRG1, kRadioCountDPRG1);
    s.AutoRP = ClampRadioIndex(s.AutoRP, kRadioCountYesNo);
    s.MailRG1 = ClampRadioIndex(s.MailRG1, kRadioCountYesNo);
    s.NSRG1 = ClampRadioIndex(s.NSRG1, kRadioCountNSRG1);
    s.SpinEdit1 = std::max(s.SpinEdit1, kSpinEdit1Min);
    s.SpinEdit2 = ClampSpinValue(s.SpinEdit2, kSpinEdit2Min, kSpinEdit2Max);
    s.SpinEdit3 = ClampSpinValue(s.SpinEdit3, kSpinEdit3Min, kSpinEdit3Max);
}

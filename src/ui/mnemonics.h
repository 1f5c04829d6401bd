#pragma once
// The Alt+letter of every button, check box, option and tab title, chosen so that no
// two that are on screen together share a letter in either language. The captions stay
// as users know them; only the view marks the letter.
#include <QString>

namespace lt {

// The control's caption with its letter marked ("S&mall"), or as it is when it has none.
// Tab titles are asked for as "STabTiempos_Estado" with the tab's caption.
QString withMnemonic(const QString& control, const QString& caption);

}  // namespace lt

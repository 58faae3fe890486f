#pragma once
// The dealer's three texts per user-interface language, kept at
// Language/<language>/DealerInfoLeft|DealerInfoMiddle|DealerInfoRight.
// The program stores each text as a one-string value whose line breaks are
// CR LF; factory texts at machine level may be lists of several strings.

#include <QString>

inline constexpr int kDealerInfoMaxChars = 250;

// At start-up: for the user's current language, copies each factory text to
// the user level where the user has none; a factory text that is absent
// arrives as an empty text. Never fails the start.
void CopyDealerInfoDefaults();

// With the application's current language; false unless all three values
// could be read from the user level.
bool ReadDealerInfo(QString &left, QString &right, QString &middle);

// Converts a stored multi-string value as the start-up copy does: every NUL
// between the strings becomes CR LF, the NUL in the last position ends the text.
QString MultiStringToText(const QStringList &strings);

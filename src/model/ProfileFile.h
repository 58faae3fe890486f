#pragma once
// Profiles on disk: the scrambled UTF-16 file form, written atomically, and
// the check that decides whether this installation may open a profile.

#include <QString>

class CRadioDataModel;

// Writes FF FE and the scrambled text to a temporary file beside the target,
// then renames it over the target, so a failed write never leaves half a
// profile where a good one was. False with a reason on failure.
bool WriteProfileFile(const QString &path, const QString &text, QString *error = nullptr);

// The profile text as it is to be saved: transmit settings copied from
// receive when the model cannot use repeaters, the sub-region reset, the
// migration's additions taken off.
QString ProfileTextForSaving(CRadioDataModel &model);

// Whether a profile or template may be opened here: it loads and validates,
// its region is served and its codeplug version can be handled. Otherwise the
// user has been told why; an error raised while loading is shown with the
// text of its message id, and its trace is handed back in `trace`.
bool CheckProfileCompatibility(const QString &path, QString *trace = nullptr);

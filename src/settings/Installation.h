#pragma once
// Loading what the program needs from the installation folder into the
// application context: the five setting documents, the presence of the rule
// script and the schema, the region name and the region-code map. Every
// failure has shown message 315 (or nothing, where the start stops silently).

// False when the start cannot go on.
bool LoadInstallation();

// The user-interface language for programs without the start-up check (the
// command-line tool): the user's language, else the machine default, else
// English; its translation and decimal separator. Writes nothing.
void UseConfiguredLanguage();

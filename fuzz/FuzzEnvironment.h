#pragma once
// What every fuzz target needs once: an application object, a configuration
// store whose machine level points at the staged installation, the setting
// documents loaded, and messages that go nowhere.
void SetUpFuzzEnvironment(int *argc, char ***argv);

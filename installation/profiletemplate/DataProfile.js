Option Explicit
// DataProfile.js: the rules that decide every change made to a profile.
//
// The program loads this file once for each open profile, runs its global
// code, and then calls its global functions by name. Each open profile has an
// engine of its own, so a global variable set here is never seen by another
// profile. The first line "Option Explicit" makes the whole file strict:
// assigning a variable that was never declared is an error, reported with its
// line number.
//
// Results. A hook answers 0 when it made the change, 1 when it refuses it (the
// string-table id of the message to show is handed back through its message
// argument), or another value when it asks the user to confirm; a Yes answer
// repeats the call with the confirmation input 6.
//
// In-out arguments. JavaScript passes everything by value, so an argument the
// program wants back (a message id, a message-box style, a changed value) is
// passed as a reference box: an object whose property `value` holds the
// argument. Read it with `box.value` and answer with `box.value = ...`.
//
// Errors. An exception thrown by a hook, or a mistake in this file, is shown
// to the user with its line number, and the operation in progress fails.
//
// The hooks themselves, and the profile node objects they receive, are added
// together with the profile editing rules.

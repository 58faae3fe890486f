Option Explicit
// Global code counts its own runs: a second run in the same engine would
// find the variable already set.
var globalRuns = (typeof globalRuns === "number") ? globalRuns + 1 : 1;
var shared = "initial";

function GlobalRuns() { return globalRuns; }
function Join(first, second, third) { return first + "|" + second + "|" + third; }
function SetShared(value) { shared = value; return shared; }
function GetShared() { return shared; }
// In-out argument: answers through the box, returns 0 for "changed".
function DoubleInto(box, value) { box.value = value * 2; return 0; }

Option Explicit
var ready = true;

function SetVal(box) {
    undeclaredTotal = box.value;
    return 0;
}

function IsReady() { return ready; }

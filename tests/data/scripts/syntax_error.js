Option Explicit
var ready = true;
function Broken(a {
    return a;
}

Option Explicit
var settings = null;
var count = settings.length;

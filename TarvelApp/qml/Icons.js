.pragma library

// The app's own icon files are named after the symbol names they stand for.
function source(symbol) {
    return symbol ? Qt.resolvedUrl("../icons/" + symbol + ".svg") : "";
}

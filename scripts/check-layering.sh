#!/usr/bin/env bash
# Fails when an include breaks the layering or the split between the libraries.
# Layers, bottom up: base; forms, drillcore and recordkeeping; records, settings and startup;
# drill; shell; wordmoor-groups (groups/); the benchmarks; main.cpp and the tests on top. A
# file includes only from its own folder or from a folder below it, and only headers that
# exist. The Qt-Core library (base/, drillcore/, recordkeeping/, startup/) and wordmoor-groups
# include no header of Qt's GUI or widgets modules and no header of the window folders
# (forms/, drill/, records/, settings/, shell/); groups/ includes the Qt-Core library and its
# own folder only.
set -euo pipefail
cd "$(dirname "$0")/.."
rank() {
    case $1 in
        base) echo 0 ;;
        forms | drillcore | recordkeeping) echo 1 ;;
        records | settings | startup) echo 2 ;;
        drill) echo 3 ;;
        shell) echo 4 ;;
        groups) echo 5 ;;
        bench) echo 6 ;;
        tests | main.cpp) echo 7 ;;
        *) echo 9 ;;
    esac
}
# The Qt-Core library and what stands on it alone.
is_core() {
    case $1 in
        base/* | drillcore/* | recordkeeping/* | startup/* | groups/*) return 0 ;;
        *) return 1 ;;
    esac
}
is_window_header() {
    case $1 in
        forms/* | drill/* | records/* | settings/* | shell/*) return 0 ;;
        *) return 1 ;;
    esac
}
# Qt's GUI and widgets headers: those installed (found beside any Qt 6 headers), and the
# usual ones by name where none are installed.
gui_dirs=()
for qt in /usr/include/qt6 /usr/include/*/qt6 ${QT_HEADERS:-}; do
    for module in QtGui QtWidgets QtOpenGL QtOpenGLWidgets QtPrintSupport; do
        [ -d "$qt/$module" ] && gui_dirs+=("$qt/$module")
    done
done
is_gui_header() {
    case $1 in
        QtGui* | QtWidgets* | QWidget | QApplication | QGuiApplication | QAccessible* | \
            QPainter* | QWindow | QScreen | QFont* | QColor | QPixmap | QImage | QIcon | \
            QKeyEvent | QMouseEvent | QPalette | QCursor | QClipboard | QAction | QMenu)
            return 0 ;;
    esac
    local dir
    for dir in "${gui_dirs[@]}"; do
        [ -e "$dir/$1" ] && return 0
    done
    return 1
}
bad=0
complain() {
    echo "$1"
    bad=1
}
for file in base/* forms/* drillcore/* recordkeeping/* records/* settings/* startup/* drill/* \
    shell/* groups/* tests/* bench/* main.cpp; do
    case $file in *.cpp | *.h) ;; *) continue ;; esac
    folder=${file%%/*}
    while read -r included; do
        other=${included%%/*}
        [ -f "$included" ] || complain "$file includes $included, which does not exist"
        if is_core "$file" && is_window_header "$included"; then
            complain "$file includes $included: the Qt-Core library includes no window"
        fi
        [ "$other" = "$folder" ] && continue
        if [ "$(rank "$other")" -ge "$(rank "$folder")" ]; then
            complain "$file includes $included: $other is not below $folder"
        fi
    done < <(sed -n 's/^#include "\([a-z]*\/[^"]*\)".*/\1/p' "$file")
    is_core "$file" || continue
    while read -r included; do
        is_gui_header "$included" &&
            complain "$file includes <$included>: the Qt-Core library includes no GUI header"
    done < <(sed -n 's/^#include <\([^>]*\)>.*/\1/p' "$file")
done
[ "$bad" -eq 0 ] && echo "layering: every include points down; the Qt-Core library has no GUI"
exit "$bad"

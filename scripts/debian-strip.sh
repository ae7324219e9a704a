#!/usr/bin/env bash
# Strips as Debian's own packaging does (dh_strip): the compiler's .comment and .note
# sections go too. scripts/package.sh hands it to CMake as CMAKE_STRIP.
exec strip --remove-section=.comment --remove-section=.note "$@"

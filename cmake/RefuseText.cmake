# Fails when the file EXE holds the text TEXT, in 8-bit or in UTF-16LE characters.
# Usage: cmake -D EXE=path -D TEXT=words -P RefuseText.cmake
cmake_minimum_required (VERSION 3.22)

file (READ "${EXE}" contents HEX)

string (HEX "${TEXT}" narrow)
string (REGEX REPLACE "(..)" "\\100" wide "${narrow}")

foreach (form narrow wide)
    set (rest "${contents}")
    set (offset 0)

    while (TRUE)
        string (FIND "${rest}" "${${form}}" found)

        if (found LESS 0)
            break()
        endif()

        # In hexadecimal a match counts only where it starts on a byte.
        math (EXPR position "${offset} + ${found}")
        math (EXPR odd "${position} % 2")

        if (odd EQUAL 0)
            message (FATAL_ERROR "${EXE} holds the text ${TEXT}")
        endif()

        math (EXPR skip "${found} + 1")
        string (SUBSTRING "${rest}" ${skip} -1 rest)
        math (EXPR offset "${offset} + ${skip}")
    endwhile()
endforeach()

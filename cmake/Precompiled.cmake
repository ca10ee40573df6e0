# Precompiled headers for the targets with many sources: the standard library, Qt and GoogleTest
# headers that nearly every file includes are parsed once per target instead of once per file,
# which takes about a third off a build from scratch (the test command builds twice).
#   kestovar_precompile(<target> STD|CORE|WIDGETS [TESTS])
option(KESTOVAR_PCH "Precompile the common headers of the larger targets" ON)

set(KESTOVAR_PCH_STD
    <algorithm> <cstdint> <functional> <map> <memory> <optional> <stdexcept> <string>
    <string_view> <utility> <vector>)
set(KESTOVAR_PCH_CORE <QByteArray> <QList> <QObject> <QString> <QStringList>)
set(KESTOVAR_PCH_WIDGETS <QApplication> <QComboBox> <QLineEdit> <QWidget>)

function(kestovar_precompile target kind)
    if(NOT KESTOVAR_PCH)
        return()
    endif()
    set(headers ${KESTOVAR_PCH_STD})
    if(kind STREQUAL "CORE" OR kind STREQUAL "WIDGETS")
        list(APPEND headers ${KESTOVAR_PCH_CORE})
    endif()
    if(kind STREQUAL "WIDGETS")
        list(APPEND headers ${KESTOVAR_PCH_WIDGETS})
    endif()
    if("TESTS" IN_LIST ARGN)
        list(APPEND headers <gtest/gtest.h> <gmock/gmock.h>)
    endif()
    target_precompile_headers(${target} PRIVATE ${headers})
    # Inlined from precompiled headers, GCC 12's std::string gives false -Warray-bounds and
    # -Wstringop-overflow reports (GCC bug 105329); the sanitizer build checks bounds instead.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        target_compile_options(${target} PRIVATE -Wno-array-bounds -Wno-stringop-overflow)
    endif()
endfunction()

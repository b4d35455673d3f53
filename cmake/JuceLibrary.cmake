# Compiles the JUCE modules the program uses once, into the static library
# quenz_juce that the application, the tools and every test link.

# A build that needs fewer (the fuzz targets) names them before including this file.
if (NOT quenzJuceModules)
    set (quenzJuceModules juce_core juce_events juce_data_structures juce_graphics juce_gui_basics)
endif()

if (WIN32)
    # Debian's modules take the wrong UUID branch on 32-bit mingw; build from a
    # copy in the build tree with that one condition mended.
    set (juceModulesDir "${CMAKE_BINARY_DIR}/juce-modules")

    foreach (module IN LISTS quenzJuceModules)
        if (NOT EXISTS "${juceModulesDir}/${module}")
            file (COPY "${JUCE_MODULES_DIR}/${module}" DESTINATION "${juceModulesDir}")
        endif()
    endforeach()

    set (comSmartPtr "${juceModulesDir}/juce_core/native/juce_win32_ComSmartPtr.h")
    file (READ "${comSmartPtr}" comSmartPtrText)
    string (REPLACE "#if (JUCE_MINGW && JUCE_32BIT) || (! defined (_MSC_VER)"
                    "#if (! defined (_MSC_VER)" comSmartPtrText "${comSmartPtrText}")
    file (WRITE "${comSmartPtr}" "${comSmartPtrText}")
else()
    set (juceModulesDir "${JUCE_MODULES_DIR}")
endif()

add_library (quenz_juce STATIC)

foreach (module IN LISTS quenzJuceModules)
    target_sources (quenz_juce PRIVATE "${juceModulesDir}/${module}/${module}.cpp")
    target_compile_definitions (quenz_juce PUBLIC JUCE_MODULE_AVAILABLE_${module}=1)
endforeach()

target_include_directories (quenz_juce SYSTEM PUBLIC "${juceModulesDir}")
target_compile_definitions (quenz_juce PUBLIC
    JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
    JUCE_STANDALONE_APPLICATION=1
    JUCE_USE_CURL=1
    JUCE_WEB_BROWSER=0
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_REPORT_APP_USAGE=0
    JUCE_STRICT_REFCOUNTEDPOINTER=1
    JUCE_MODAL_LOOPS_PERMITTED=1
    $<$<CONFIG:Debug>:DEBUG=1 _DEBUG=1>
    $<$<NOT:$<CONFIG:Debug>>:NDEBUG=1>)

find_package (Threads REQUIRED)

if (WIN32)
    set (mingwLibs "${CMAKE_BINARY_DIR}/mingw-libs")
    execute_process (COMMAND bash "${CMAKE_SOURCE_DIR}/tools/build-mingw-libs.sh" "${mingwLibs}" "${QUENZ_MINGW_ARCH}"
                     RESULT_VARIABLE mingwLibsResult)
    if (NOT mingwLibsResult EQUAL 0)
        message (FATAL_ERROR "Could not build libpng and libjpeg for mingw")
    endif()

    target_include_directories (quenz_juce SYSTEM PUBLIC "${mingwLibs}/include")
    target_link_libraries (quenz_juce PUBLIC
        "${mingwLibs}/lib/libpng16.a" "${mingwLibs}/lib/libjpeg.a" z
        uuid wsock32 wininet version ole32 ws2_32 oleaut32 imm32 comdlg32 shlwapi rpcrt4 winmm
        dxgi gdi32 user32 kernel32 comctl32 shell32 setupapi
        Threads::Threads)
    target_link_options (quenz_juce INTERFACE -static -static-libgcc -static-libstdc++)
else()
    find_package (PkgConfig REQUIRED)
    pkg_check_modules (quenzJuceDeps REQUIRED IMPORTED_TARGET freetype2 libcurl libpng libjpeg zlib)
    target_link_libraries (quenz_juce PUBLIC PkgConfig::quenzJuceDeps Threads::Threads ${CMAKE_DL_LIBS} rt)
endif()

# JUCE's juce_add_binary_data, from Debian's JUCE, with Debian's prebuilt juceaide
# (a host program, so it serves the cross build too). A changed image needs a new
# configure run: juceaide only watches its list of files.

file (GLOB juceUtils /usr/lib/*/cmake/JUCE-*/JUCEUtils.cmake /usr/lib/cmake/JUCE-*/JUCEUtils.cmake)
list (GET juceUtils 0 juceUtils)
file (GLOB juceaide /usr/lib/*/juce/juceaide)
list (GET juceaide 0 juceaide)

if (NOT TARGET juce::juceaide)
    add_executable (juce::juceaide IMPORTED)
    set_target_properties (juce::juceaide PROPERTIES IMPORTED_LOCATION "${juceaide}")
endif()

get_filename_component (juceCMakeDir "${juceUtils}" DIRECTORY)
include ("${juceCMakeDir}/JUCEModuleSupport.cmake")
include ("${juceUtils}")

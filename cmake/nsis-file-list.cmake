# Writes the installer's file list from the staged install tree, so that the
# installer copies exactly what `cmake --install` staged and its uninstaller
# removes exactly that again, and nothing of the user's.
#
# usage: cmake -DSTAGE=DIR -DOUT=FILE.nsh -P nsis-file-list.cmake
# FILE.nsh defines the macros MORVANE_INSTALL_FILES and MORVANE_REMOVE_FILES.

if(NOT IS_DIRECTORY "${STAGE}" OR NOT OUT)
  message(FATAL_ERROR "usage: cmake -DSTAGE=DIR -DOUT=FILE.nsh -P nsis-file-list.cmake")
endif()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${STAGE}" "${STAGE}/*")
list(SORT files)
if(NOT files)
  message(FATAL_ERROR "nothing staged in ${STAGE}")
endif()

# NSIS strings: "$" starts a variable, so a literal one is doubled.
function(nsis_text out text)
  string(REPLACE "$" "$$" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(install "!macro MORVANE_INSTALL_FILES\n")
set(remove "!macro MORVANE_REMOVE_FILES\n")
set(dirs)
set(last_dir "-")
foreach(file IN LISTS files)
  get_filename_component(dir "${file}" DIRECTORY)
  string(REPLACE "/" "\\" win_file "${file}")
  string(REPLACE "/" "\\" win_dir "${dir}")
  nsis_text(win_file "${win_file}")
  nsis_text(win_dir "${win_dir}")
  nsis_text(source "${STAGE}/${file}")
  if(NOT dir STREQUAL last_dir)
    if(dir STREQUAL "")
      string(APPEND install "  SetOutPath \"$INSTDIR\"\n")
    else()
      string(APPEND install "  SetOutPath \"$INSTDIR\\${win_dir}\"\n")
    endif()
    set(last_dir "${dir}")
  endif()
  string(APPEND install "  File \"${source}\"\n")
  string(APPEND remove "  Delete \"$INSTDIR\\${win_file}\"\n")
  # Every folder on the way, so that the deepest is removed first.
  while(NOT dir STREQUAL "")
    list(APPEND dirs "${win_dir}")
    get_filename_component(dir "${dir}" DIRECTORY)
    string(REPLACE "/" "\\" win_dir "${dir}")
    nsis_text(win_dir "${win_dir}")
  endwhile()
endforeach()
list(REMOVE_DUPLICATES dirs)
list(SORT dirs)
list(REVERSE dirs)
foreach(dir IN LISTS dirs)
  # Without /r: a folder the user has put files into stays.
  string(APPEND remove "  RMDir \"$INSTDIR\\${dir}\"\n")
endforeach()
string(APPEND install "!macroend\n")
string(APPEND remove "!macroend\n")
file(WRITE "${OUT}" "; Written by nsis-file-list.cmake from ${STAGE}.\n${install}${remove}")

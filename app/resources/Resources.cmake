# vellumar_add_resources(target)
# Links the program's icon, version information and manifest into an
# executable. The icon is drawn by tools/icon/make_icon.py into the build
# tree; windres compiles the script to an object in the caller's directory,
# so the top-level compile options meant for C++ never reach windres.
include_guard(GLOBAL)

set(VELLUMAR_RESOURCES_DIR ${CMAKE_CURRENT_LIST_DIR})
set(VELLUMAR_ICON_TOOL ${CMAKE_CURRENT_LIST_DIR}/../../tools/icon/make_icon.py)
# The distribution's Python first: the one on PATH may be another install.
find_program(VELLUMAR_PYTHON NAMES python3 HINTS /usr/bin REQUIRED)

function(vellumar_add_resources target)
  if(NOT CMAKE_RC_COMPILER)
    message(FATAL_ERROR "vellumar_add_resources: no resource compiler (CMAKE_RC_COMPILER)")
  endif()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
  set(icon ${out}/Vellumar.ico)
  set(object ${out}/Vellumar.res.o)
  add_custom_command(OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
    COMMAND ${VELLUMAR_PYTHON} ${VELLUMAR_ICON_TOOL} ${icon}
    DEPENDS ${VELLUMAR_ICON_TOOL}
    COMMENT "Drawing the icon for ${target}"
    VERBATIM)
  add_custom_command(OUTPUT ${object}
    COMMAND ${CMAKE_RC_COMPILER} -O coff
            --include-dir ${out} --include-dir ${VELLUMAR_RESOURCES_DIR}
            ${VELLUMAR_RESOURCES_DIR}/Vellumar.rc ${object}
    DEPENDS ${VELLUMAR_RESOURCES_DIR}/Vellumar.rc
            ${VELLUMAR_RESOURCES_DIR}/Vellumar.manifest ${icon}
    WORKING_DIRECTORY ${out}
    COMMENT "Compiling the resources of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${object})
endfunction()

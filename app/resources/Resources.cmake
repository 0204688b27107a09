# vellumar_add_resources(target)
# Links the program's icon, version information and manifest into an
# executable. The icon is drawn by tools/icon/make_icon.py into the build
# tree; windres compiles the script to an object in the caller's directory,
# so the top-level compile options meant for C++ never reach windres.
include_guard(GLOBAL)

function(vellumar_add_resources target)
  if(NOT CMAKE_RC_COMPILER)
    message(FATAL_ERROR "vellumar_add_resources: no resource compiler (CMAKE_RC_COMPILER)")
  endif()
  # The distribution's Python first: the one on PATH may be another install.
  find_program(VELLUMAR_PYTHON NAMES python3 HINTS /usr/bin REQUIRED)
  set(resources ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
  get_filename_component(tool ${resources}/../../tools/icon/make_icon.py ABSOLUTE)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
  set(icon ${out}/Vellumar.ico)
  set(object ${out}/Vellumar.res.o)
  add_custom_command(OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
    COMMAND ${VELLUMAR_PYTHON} ${tool} ${icon}
    DEPENDS ${tool}
    COMMENT "Drawing the icon for ${target}"
    VERBATIM)
  add_custom_command(OUTPUT ${object}
    COMMAND ${CMAKE_RC_COMPILER} -O coff
            --include-dir ${out} --include-dir ${resources}
            ${resources}/Vellumar.rc ${object}
    DEPENDS ${resources}/Vellumar.rc
            ${resources}/Vellumar.manifest ${icon}
    COMMENT "Compiling the resources of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${object})
endfunction()

# Builds an MSVC-format import library for a DLL from its .def file with
# llvm-dlltool, next to the MinGW import library the linker makes.
find_program(VCX_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 REQUIRED)

function(vcx_msvc_import_lib target def output)
    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
        set(machine i386:x86-64)
    else()
        set(machine i386)
    endif()
    add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${output}
        COMMAND ${VCX_LLVM_DLLTOOL} -m ${machine} -d ${def} -l ${CMAKE_CURRENT_BINARY_DIR}/${output}
        DEPENDS ${def}
        COMMENT "MSVC import library ${output}")
    add_custom_target(${target}_msvc_implib ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${output})
endfunction()

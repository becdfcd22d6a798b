# Warnings are errors in everything this project compiles of its own.
function(vcx_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# Link the compiler's runtime (libgcc, libstdc++, winpthread) statically so
# that a module needs only Windows system DLLs.
function(vcx_static_runtime target)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
endfunction()

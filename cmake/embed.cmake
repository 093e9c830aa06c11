# trakmor_embed(target symbol file [symbol file ...])
# Links files into a static library with the assembler's .incbin: the bytes are
# reachable as `extern const unsigned char symbol[]; extern const unsigned char symbol_end[];`.
function(trakmor_embed target)
  set(args ${ARGN})
  set(asm "${CMAKE_BINARY_DIR}/generated/${target}.S")
  set(content "")
  set(deps "")
  list(LENGTH args n)
  math(EXPR last "${n} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET args ${i} sym)
    list(GET args ${j} file)
    if(EMSCRIPTEN)
      # WebAssembly objects want sized data symbols in their own section syntax.
      string(APPEND content
        "    .section .rodata.${sym},\"\",@\n"
        "    .p2align 4\n"
        "    .globl ${sym}\n"
        "    .globl ${sym}_end\n"
        "${sym}:\n"
        "    .incbin \"${file}\"\n"
        "    .size ${sym}, ${sym}_end - ${sym}\n"
        "${sym}_end:\n"
        "    .byte 0\n"
        "    .size ${sym}_end, 1\n")
    elseif(WIN32)
      # COFF: a read-only data section.
      string(APPEND content
        "    .section .rdata$${sym},\"dr\"\n"
        "    .balign 16\n"
        "    .global ${sym}\n"
        "    .global ${sym}_end\n"
        "${sym}:\n"
        "    .incbin \"${file}\"\n"
        "${sym}_end:\n"
        "    .byte 0\n")
    else()
      string(APPEND content
        "    .section .rodata.${sym},\"a\"\n"
        "    .balign 16\n"
        "    .global ${sym}\n"
        "    .global ${sym}_end\n"
        "${sym}:\n"
        "    .incbin \"${file}\"\n"
        "${sym}_end:\n"
        "    .byte 0\n")
    endif()
    list(APPEND deps ${file})
  endforeach()
  if(NOT EMSCRIPTEN AND NOT WIN32)  # an ELF note
    string(APPEND content "    .section .note.GNU-stack,\"\",@progbits\n")
  endif()
  file(WRITE "${asm}.in" "${content}")
  configure_file("${asm}.in" "${asm}" COPYONLY)
  add_library(${target} STATIC "${asm}")
  set_source_files_properties("${asm}" PROPERTIES OBJECT_DEPENDS "${deps}")
endfunction()

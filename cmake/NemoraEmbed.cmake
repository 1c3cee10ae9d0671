# Rules that embed a source file with the embed tool (tools/embed, target
# nemora_embed) into a generated C++ file in the calling folder's build tree.

# mode is "bytes" (as they are), "template" (converted to code page 932 with
# CR LF) or "strings" (a string table); further arguments are more
# dependencies.
function(nemora_embed_file mode symbol input output)
  add_custom_command(
    OUTPUT ${output}
    COMMAND nemora_embed ${mode} ${symbol} ${input} ${output}
    DEPENDS nemora_embed ${input} ${ARGN}
    COMMENT "Embedding ${input}"
    VERBATIM)
endfunction()

# A page in another language: the one source with a translation file's pairs
# applied, so the page's logic is kept once. A pair whose source text no
# longer stands exactly once in the page stops the build.
function(nemora_embed_translated mode symbol input pairs output)
  add_custom_command(
    OUTPUT ${output}
    COMMAND nemora_embed ${mode} ${symbol} ${input} ${output} ${pairs}
    DEPENDS nemora_embed ${input} ${pairs}
    COMMENT "Embedding ${input} translated by ${pairs}"
    VERBATIM)
endfunction()

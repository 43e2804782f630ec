if(DRVFLASH_SANITIZE)
  list(JOIN DRVFLASH_SANITIZE "," _drvflash_sanitizers)
  add_compile_options(-fsanitize=${_drvflash_sanitizers} -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_drvflash_sanitizers})
endif()

# Copies the skin folder beside the binaries when it exists (it is content that may come later).
if(EXISTS "${SRC}")
  file(COPY "${SRC}/" DESTINATION "${DST}")
endif()

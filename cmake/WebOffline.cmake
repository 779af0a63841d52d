# Writes the site's service worker (cmake -P): TEMPLATE with the list of FILES
# it keeps (separated by |) and a version that changes whenever any of them does.
set(digests "")
set(quoted "")
string(REPLACE "|" ";" FILES "${FILES}")
foreach(file ${FILES})
  file(SHA256 ${SITE}/${file} digest)
  string(APPEND digests "${file}:${digest}\n")
  list(APPEND quoted "'${file}'")
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING ${version} 0 16 CORVALINTH_SITE_VERSION)
list(JOIN quoted ", " CORVALINTH_OFFLINE_FILES)
configure_file(${TEMPLATE} ${SITE}/sw.js @ONLY)

cmake_minimum_required(VERSION 3.16)
# Writes the page's service worker, FOLDER/sw.js, from web/service_worker.js with each of the
# page's FILES' SHA-256 and a hash of them all, which names the worker's cache: every build whose
# files differ gets a cache of its own.
#   cmake -DFOLDER=... -DFILES="index.html;..." -P service_worker.cmake
set(hashes)
set(build_hash "")
foreach(name ${FILES})
  file(SHA256 ${FOLDER}/${name} hash)
  list(APPEND hashes "\"${name}\": \"${hash}\"")
  string(APPEND build_hash "${name} ${hash}\n")
endforeach()
list(JOIN hashes ",\n  " hashes)
string(SHA256 build_hash "${build_hash}")
string(SUBSTRING ${build_hash} 0 16 build_hash)
file(READ ${CMAKE_CURRENT_LIST_DIR}/service_worker.js worker)
# Without its comment lines, which every visitor would download.
string(REGEX REPLACE "(^|\n) *//[^\n]*" "" worker "${worker}")
string(REPLACE "@FILES@" "{\n  ${hashes},\n}" worker "${worker}")
string(REPLACE "@BUILD@" "${build_hash}" worker "${worker}")
file(WRITE ${FOLDER}/sw.js "${worker}")

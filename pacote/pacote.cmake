# The Debian package: `cpack -G DEB` in a build folder.
set(CPACK_PACKAGE_NAME testaropcao)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "executa ./app num dos nove contêineres tamblevore")
set(CPACK_PACKAGE_DESCRIPTION "\
Pergunta por uma opção de 1 a 9, confirma o número lido e executa ./app
no contêiner tamblevore_met01_1 a tamblevore_met09_1 correspondente,
através de uma linha docker exec fixa entregue à shell.")
set(CPACK_PACKAGE_CONTACT "Equipe testarOpcao <testaropcao@tamblevore.org>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The engine, and so the client, may well live on another machine.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "docker.io | docker-ce-cli")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# What Debian wants beside the files: a compressed page, copyright, changelog,
# and the word that the static launcher is meant to be static.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/preparar.cmake)
include(CPack)

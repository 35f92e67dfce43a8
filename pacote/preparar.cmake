# Runs inside cpack on the staged tree, before it is packed.
set(partilha ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/share)
set(origem ${CMAKE_CURRENT_LIST_DIR})
execute_process(COMMAND gzip -9nf ${partilha}/man/man1/testarOpcao.1 COMMAND_ERROR_IS_FATAL ANY)
set(documentos ${partilha}/doc/testaropcao)
file(MAKE_DIRECTORY ${documentos})
file(COPY ${origem}/copyright DESTINATION ${documentos})
file(COPY ${origem}/changelog DESTINATION ${documentos})
execute_process(COMMAND gzip -9nf ${documentos}/changelog COMMAND_ERROR_IS_FATAL ANY)
file(COPY ${origem}/lintian/testaropcao DESTINATION ${partilha}/lintian/overrides)
execute_process(COMMAND strip --strip-all --remove-section=.comment --remove-section=.note
                        ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/testarOpcao
                COMMAND_ERROR_IS_FATAL ANY)

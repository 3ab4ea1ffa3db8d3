# Manual pages, the generator of the editor support and of the instruction-set
# reference (zqs-gen), and their checks. Included at the end of the top-level
# list, when every program target exists.

install(FILES docs/man/asm-zqs.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES docs/man/asm_zqs.3 DESTINATION ${CMAKE_INSTALL_MANDIR}/man3)
if(TARGET dis_zqs)
  install(FILES docs/man/dis-zqs.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES docs/man/zqs-lsp.1 docs/man/zqs-cov.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The editor files (a Vim runtime folder, a Neovim one with the language client, a VS Code
# extension folder) and the instruction-set reference, as committed.
install(DIRECTORY editors/vim/ DESTINATION ${CMAKE_INSTALL_DATADIR}/asm_zqs/vim)
install(DIRECTORY editors/nvim/ DESTINATION ${CMAKE_INSTALL_DATADIR}/asm_zqs/nvim)
install(DIRECTORY editors/vscode/ DESTINATION ${CMAKE_INSTALL_DATADIR}/asm_zqs/vscode)
install(DIRECTORY docs/isa/ DESTINATION ${CMAKE_INSTALL_DATADIR}/asm_zqs/isa)

if(CMAKE_CROSSCOMPILING)
  return()
endif()

# zqs-gen OUTDIR writes editors/vim/, editors/vscode/ and docs/isa/ from the registry,
# and the section DIAGNOSTIC CODES of docs/man/asm-zqs.1 from the message codes;
# `ninja update-generated` rewrites the committed copies after a table changed.
add_executable(zqs_gen tool/gen/main.cpp tool/gen/lexicon.cpp tool/gen/vim.cpp
               tool/gen/vscode.cpp tool/gen/isa.cpp tool/gen/codes.cpp)
set_target_properties(zqs_gen PROPERTIES OUTPUT_NAME zqs-gen)
target_link_libraries(zqs_gen PRIVATE asm_zqs_lib)
target_compile_options(zqs_gen PRIVATE -Wall -Wextra)
add_custom_target(update-generated COMMAND zqs_gen ${CMAKE_CURRENT_SOURCE_DIR}
                  COMMENT "Writing editors/, docs/isa/ and the codes of docs/man/asm-zqs.1 from the tables")

if(NOT ASM_ZQS_TESTS)
  return()
endif()
set(t ${CMAKE_CURRENT_SOURCE_DIR}/tests/docs)

add_test(NAME docs/generated
         COMMAND ${t}/check_generated $<TARGET_FILE:zqs_gen> ${CMAKE_CURRENT_SOURCE_DIR}
                 ${CMAKE_CURRENT_BINARY_DIR}/generated-check)

# The encoding pictures of the reference, read back and compared with the registry.
add_executable(isa_pictures tests/docs/isa_pictures.cpp)
target_link_libraries(isa_pictures PRIVATE asm_zqs_lib)
target_compile_options(isa_pictures PRIVATE -Wall -Wextra)
add_test(NAME docs/isa_pictures COMMAND isa_pictures ${CMAKE_CURRENT_SOURCE_DIR}/docs/isa)

set(man_programs asm-zqs=$<TARGET_FILE:asm_zqs>=--MD,--xmldump,--diagnostics,--diagnostics-file)
if(TARGET dis_zqs)
  list(APPEND man_programs dis-zqs=$<TARGET_FILE:dis_zqs>)
endif()
list(APPEND man_programs zqs-lsp=$<TARGET_FILE:zqs_lsp> zqs-cov=$<TARGET_FILE:zqs_cov>)
add_test(NAME docs/man
         COMMAND ${t}/check_man ${CMAKE_CURRENT_SOURCE_DIR}/docs/man ${CMAKE_CURRENT_BINARY_DIR} ${man_programs})
set_tests_properties(docs/man PROPERTIES TIMEOUT 120)

# The editor engines: the files are the same whatever the build flavour.
if(NOT ASM_ZQS_SANITIZE)
  add_test(NAME editors/vim
           COMMAND ${t}/check_vim ${CMAKE_CURRENT_SOURCE_DIR}/editors/vim ${t}/sample.zqs ${t}/expected_colours)
  add_test(NAME editors/vim_compiler
           COMMAND ${t}/check_vim_compiler ${CMAKE_CURRENT_SOURCE_DIR}/editors/vim
                   ${t}/diagnostics/gnu.txt ${t}/diagnostics/expected_qf.txt)
  add_test(NAME editors/npm_setup
           COMMAND ${t}/npm_setup ${t}/node ${CMAKE_CURRENT_BINARY_DIR}/editors-node)
  set_tests_properties(editors/npm_setup PROPERTIES FIXTURES_SETUP editors_node TIMEOUT 300)
  add_test(NAME editors/textmate
           COMMAND node ${t}/node/textmate.js ${CMAKE_CURRENT_BINARY_DIR}/editors-node/node_modules
                   ${CMAKE_CURRENT_SOURCE_DIR}/editors/vscode ${t}/sample.zqs ${t}/expected_colours)
  add_test(NAME editors/problem_matcher
           COMMAND node ${t}/node/problem_matcher.js ${CMAKE_CURRENT_SOURCE_DIR}/editors/vscode/package.json
                   $<TARGET_FILE:asm_zqs> ${t}/faulty ${CMAKE_CURRENT_BINARY_DIR}/problem-matcher
                   ${t}/diagnostics/gnu.txt ${t}/diagnostics/expected_qf.txt)
  set_tests_properties(editors/textmate editors/problem_matcher PROPERTIES FIXTURES_REQUIRED editors_node)
  # The clients of the language server, each with the server built here: Neovim's Lua
  # client, and the VS Code extension with the packages of its lock.
  if(TARGET zqs_lsp)
    add_test(NAME editors/nvim_client COMMAND nvim --headless --clean -u ${t}/nvim_client.lua)
    set_tests_properties(editors/nvim_client PROPERTIES TIMEOUT 60 ENVIRONMENT
      "ZQS_LSP=$<TARGET_FILE:zqs_lsp>;ZQS_EDITORS=${CMAKE_CURRENT_SOURCE_DIR}/editors")
    add_test(NAME editors/npm_setup_vscode
             COMMAND ${t}/npm_setup ${CMAKE_CURRENT_SOURCE_DIR}/editors/vscode ${CMAKE_CURRENT_BINARY_DIR}/editors-vscode)
    set_tests_properties(editors/npm_setup_vscode PROPERTIES FIXTURES_SETUP editors_vscode TIMEOUT 300)
    add_test(NAME editors/vscode_client
             COMMAND node ${t}/node/language_client.js ${CMAKE_CURRENT_BINARY_DIR}/editors-vscode/node_modules
                     ${CMAKE_CURRENT_SOURCE_DIR}/editors/vscode $<TARGET_FILE:zqs_lsp>)
    set_tests_properties(editors/vscode_client PROPERTIES FIXTURES_REQUIRED editors_vscode TIMEOUT 60)
  endif()
endif()

# The command blocks of the README, the user guide and the manual pages' EXAMPLES,
# each document in a private copy of the sources whose build/ is this tree.
find_package(Python3 COMPONENTS Interpreter QUIET)
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND Python3_FOUND AND NOT ASM_ZQS_SANITIZE)
  foreach(doc README.md docs/guide.md docs/man/asm-zqs.1 docs/man/dis-zqs.1 docs/man/asm_zqs.3
              docs/man/zqs-cov.1)
    get_filename_component(name ${doc} NAME)
    add_test(NAME docs/commands/${name}
             COMMAND ${Python3_EXECUTABLE} ${t}/run_commands.py ${CMAKE_CURRENT_SOURCE_DIR}
                     ${CMAKE_CURRENT_BINARY_DIR} ${CMAKE_CURRENT_BINARY_DIR}/doc-commands/${name} ${doc})
    set_tests_properties(docs/commands/${name} PROPERTIES TIMEOUT 600)
  endforeach()
endif()

# The quick start: ./asm-zqs runs a fresh build at once, without cmake or ninja.
if(NOT WIN32)
  add_test(NAME quickstart/fast_path
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/quickstart/check_fast_path ${CMAKE_CURRENT_SOURCE_DIR} $<TARGET_FILE:asm_zqs>)
  # The first build: progress on standard error, jobs from the environment, --quick.
  add_test(NAME quickstart/bootstrap
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/quickstart/check_bootstrap ${CMAKE_CURRENT_SOURCE_DIR})
endif()

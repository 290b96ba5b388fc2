# The two set-up commands of the README: `make run` and `make test`.
# Both install the Debian packages that are missing (as root, or through sudo), then build.

BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
# A compiler cache speeds up rebuilds where one is installed; the build does not need it.
CCACHE := $(shell command -v ccache 2>/dev/null)
ifneq ($(CCACHE),)
CMAKE_FLAGS += -DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE) -DCMAKE_C_COMPILER_LAUNCHER=$(CCACHE)
endif

PACKAGES = cmake make g++ pkg-config qt6-base-dev qt6-webengine-dev libqt6webenginecore6-bin \
           qt6-webengine-dev-tools libgl-dev libx11-dev libgtest-dev xvfb xauth x11-apps \
           qt6-declarative-dev libqt6sql6-sqlite fonts-dejavu-core ca-certificates desktop-file-utils appstream groff-base \
           hunspell-en-us qt6-wayland weston

# `make install PREFIX=... DESTDIR=...`
PREFIX ?= /usr/local
DESTDIR ?=

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps configure build run test bench soak sanitize-engine install package clean fuzz sanitize

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -q && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -q --no-install-recommends $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  ./$(BUILD)/nuvbrowser $(ARGS); \
	elif command -v xvfb-run >/dev/null; then \
	  echo "No display: running the browser under xvfb-run."; \
	  xvfb-run -a -s "-screen 0 1280x900x24" ./$(BUILD)/nuvbrowser $(ARGS); \
	else \
	  echo "No display, and xvfb-run is not installed."; exit 1; \
	fi

# Every test of the normal build, then the sanitizer build's (below; SANITIZE=0 leaves it out
# while developing). Both run even when the first has failures; either fails the target.
SANITIZE ?= 1
test: build
	@status=0; \
	(cd $(BUILD) && QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 \
	  QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu ctest -j$(JOBS) --output-on-failure --timeout 300) \
	  || status=1; \
	if [ "$(SANITIZE)" != 0 ]; then $(MAKE) --no-print-directory sanitize || status=1; fi; \
	exit $$status

# Benchmarks (never part of `make test`): the favorites fill, panes with the fake control, and
# start-up and memory against the floor program under a virtual X display.
# BENCH_ARGS passes options to bench/run_bench.py (--rounds N, --only startup|favorites|memory).
bench: PACKAGES += python3
bench: build
	./$(BUILD)/bench/bench_favorites
	./$(BUILD)/bench/bench_panes
	./$(BUILD)/bench/bench_history
	xvfb-run -a -s "-screen 0 1280x900x24" python3 bench/run_bench.py $(BUILD) $(BENCH_ARGS)

# The soak run (never part of `make test`; about 15 minutes, loopback only): the real browser
# under a virtual display, driven hard, then checked (bench/soak.py says what). SOAK_ARGS passes
# options (--minutes M, --seed S).
soak: PACKAGES += python3 xdotool
# The soak, then the engine tests under the sanitizers (about 6 minutes more, too long for the
# sanitizer round of `make test`).
soak: build
	xvfb-run -a -s "-screen 0 1280x900x24" python3 bench/soak.py $(BUILD) $(SOAK_ARGS)
	$(MAKE) sanitize-engine

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# A Debian package of the program in $(BUILD)/: nuvbrowser_<version>_<arch>.deb
package: PACKAGES += dpkg-dev file
package: build
	cd $(BUILD) && cpack -G DEB
	@ls -1 $(BUILD)/nuvbrowser_*.deb

# Fuzzing by hand: every target for FUZZ_SECONDS, starting from the seeds in fuzz/corpus/.
# New inputs collect in $(FUZZ_BUILD)/run/corpus/<target>; an input that breaks a rule lands in
# $(FUZZ_BUILD)/run/crashes/<target>/ (keep it in fuzz/crashes/<target>/ once it is fixed:
# `make test` replays the corpora and the kept inputs).
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = registry shortcut handoff keytable favorites session
fuzz: PACKAGES += clang libclang-rt-14-dev
fuzz: deps
	cmake -S fuzz -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ $(if $(CCACHE),-DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE))
	cmake --build $(FUZZ_BUILD) -j$(JOBS)
	@status=0; for t in $(FUZZ_TARGETS); do \
	  run=$(FUZZ_BUILD)/run; mkdir -p $$run/corpus/$$t $$run/crashes/$$t; \
	  echo "== fuzz_$$t for $(FUZZ_SECONDS) s"; \
	  TMPDIR=$$( [ -d /dev/shm ] && echo /dev/shm || echo /tmp ) QT_QPA_PLATFORM=offscreen ./$(FUZZ_BUILD)/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) \
	    -print_final_stats=1 -artifact_prefix=$$run/crashes/$$t/ \
	    $$run/corpus/$$t fuzz/corpus/$$t 2>&1 | grep -E '^(stat::|==|SUMMARY|rule broken)' || true; \
	  if ls $$run/crashes/$$t/* >/dev/null 2>&1; then echo "fuzz_$$t: inputs that broke a rule in $$run/crashes/$$t"; status=1; fi; \
	done; exit $$status

# The library and every test program that starts no engine, built with AddressSanitizer,
# UndefinedBehaviorSanitizer and LeakSanitizer in a folder of their own, then run (part of
# `make test`). Every report ends its test process with a failing status: UBSan aborts
# (-fno-sanitize-recover), ASan and LSan exit with 1 and 23. Leaks inside Qt and the system
# libraries would be suppressed in tests/sanitizer/lsan.supp. ccache takes the precompiled
# headers only with the sloppiness given here.
SAN_BUILD ?= build-sanitize
SAN_ENV = ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:exitcode=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
sanitize: deps
	cmake -S . -B $(SAN_BUILD) -DNUV_SANITIZE=ON -DNUV_SANITIZE_ENGINE=OFF -DCMAKE_BUILD_TYPE=None \
	  $(filter-out -DCMAKE_BUILD_TYPE=%,$(CMAKE_FLAGS))
	CCACHE_SLOPPINESS=pch_defines,time_macros cmake --build $(SAN_BUILD) -j$(JOBS) --target nuvtests
	cd $(SAN_BUILD) && QT_QPA_PLATFORM=offscreen $(SAN_ENV) \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizer/lsan.supp:print_suppressions=0:exitcode=23 \
	  ctest -j$(JOBS) --output-on-failure --timeout 600

# The engine tests in the same sanitizer build: our code instrumented, the engine as it is, its
# own leaks left out (tests/sanitizer/lsan-engine.supp). Run by hand, not part of `make test`.
# The engine's library frees some objects with a sized delete of a base class (ASan reports a
# new-delete type mismatch inside libQt6WebEngineCore on every page): that check is off here.
sanitize-engine: deps
	cmake -S . -B $(SAN_BUILD) -DNUV_SANITIZE=ON -DNUV_SANITIZE_ENGINE=ON -DCMAKE_BUILD_TYPE=None \
	  $(filter-out -DCMAKE_BUILD_TYPE=%,$(CMAKE_FLAGS))
	CCACHE_SLOPPINESS=pch_defines,time_macros cmake --build $(SAN_BUILD) -j$(JOBS) --target test_engine nuvbrowser nuvbrowser-bin
	cd $(SAN_BUILD) && QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 \
	  QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu $(SAN_ENV) \
	  ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:exitcode=1:new_delete_type_mismatch=0 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizer/lsan-engine.supp:print_suppressions=0:exitcode=23 \
	  ctest -j$(JOBS) -L '^engine$$' --output-on-failure --timeout 900

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(SAN_BUILD)

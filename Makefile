# Thin wrapper over CMake and CTest. `make test` is what CI runs: every test, in the normal build
# and again in the sanitizer build. Both link the project's libraries shared, which keeps each
# build folder near one gigabyte instead of tens.
BUILD_DIR    ?= build
SANITIZE_DIR ?= build-sanitize
JOBS         ?= $(shell nproc)
CMAKE_FLAGS  ?=

export QT_QPA_PLATFORM ?= offscreen

# Warnings fail the Debug builds. A deprecation that the installed Qt announces fails the tests'
# builds (`make test`, `make check`) but only warns in `make run`'s, so that a Qt newer than the tree
# still starts the app; CI=true makes it fail there too. `make run` and `make check` share the build
# folder: switching from one to the other recompiles it once, from ccache.
DEPRECATIONS_FATAL = ON
run: DEPRECATIONS_FATAL = $(if $(CI),ON,OFF)

# The installed program: a Release build with the libraries linked statically, no tests and no
# benchmarks, in a folder of its own. PREFIX is where `make install` puts it ($HOME/.local needs no
# root); `make package` makes the Debian package of the same tree under /usr.
RELEASE_DIR  ?= build-release
PREFIX       ?= /usr/local

.PHONY: deps configure build format format-check layers test check sanitize clean run fuzz release install \
	uninstall package

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRIMLARK_WERROR=ON -DBRIMLARK_SHARED_LIBS=ON \
		-DBRIMLARK_DEPRECATIONS_FATAL=$(DEPRECATIONS_FATAL) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Both with the clang-format the tree is formatted with (scripts/clang-format.sh says why); the
# check is skipped, saying so, where another version is installed.
format:
	bash scripts/clang-format.sh fix

format-check: deps
	bash scripts/clang-format.sh check

# Every include runs one way through the layers (ARCHITECTURE.md).
layers: deps
	python3 scripts/check-layers.py

test: check sanitize

# The tests in the normal build only, after checking that each test program runs every test
# function its class declares (moc can silently stop reading a class).
check: layers build format-check
	python3 scripts/check-test-slots.py . $(BUILD_DIR)
	bash scripts/run-tests.sh $(BUILD_DIR)

sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRIMLARK_WERROR=ON -DBRIMLARK_SANITIZE=ON \
		-DBRIMLARK_SHARED_LIBS=ON $(CMAKE_FLAGS)
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	bash scripts/run-tests.sh $(SANITIZE_DIR)

# Builds the application alone and starts it. The offscreen default above is for the tests: unless
# the caller chose a platform, the app gets the desktop's own (X11 or XWayland). Without a desktop
# (neither DISPLAY nor WAYLAND_DISPLAY set) it starts on a virtual X server of its own, through
# xvfb-run, which `deps` installs.
RUN_SCREEN ?= 1920x1080x24
run: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target brimlark
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		echo "make run: no display is set; starting Brimlark on a virtual X server (xvfb-run, $(RUN_SCREEN))"; \
		set -x; exec xvfb-run -a -s "-screen 0 $(RUN_SCREEN)" \
			$(if $(filter file,$(origin QT_QPA_PLATFORM)),env -u QT_QPA_PLATFORM,) $(BUILD_DIR)/brimlark; \
	fi; \
	set -x; exec $(if $(filter file,$(origin QT_QPA_PLATFORM)),env -u QT_QPA_PLATFORM,) $(BUILD_DIR)/brimlark

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(RELEASE_DIR)

# Warnings fail the Debug builds above; the optimiser's own (-O3's may-be-uninitialised guesses)
# are not allowed to stop a user's install.
#
# The release tree is built with Debian's flags as dpkg-buildflags gives them (dpkg-dev, which
# `deps` installs; read once it has run), every hardening feature on: fortified functions, the
# strong stack protector, a read-only relocation table bound at start (-z relro -z now). The
# folders' own paths are mapped away (-ffile-prefix-map: in debug information and __FILE__), so
# that the program holds no path of the build and two builds of one commit in different folders
# are the same; for that too, the compiler sees the same file names whatever ccache's settings, as
# it runs without ccache.
# Every time the release tree records (the resources' file times) and the package's are the last
# commit's, unless the caller sets SOURCE_DATE_EPOCH: two packages of one commit are byte for byte
# the same.
RELEASE_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
release_flags = $(if $(shell command -v dpkg-buildflags),$(shell $(RELEASE_FLAGS) $(1)))
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null)
release_env = $(if $(SOURCE_DATE_EPOCH),env SOURCE_DATE_EPOCH=$(SOURCE_DATE_EPOCH))
release: deps
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRIMLARK_SHARED_LIBS=OFF -DBRIMLARK_CCACHE=OFF \
		-DBRIMLARK_BUILD_TESTS=OFF -DBRIMLARK_BUILD_BENCHMARKS=OFF -DCMAKE_INSTALL_PREFIX=$(PREFIX) \
		-DCMAKE_CXX_FLAGS="$(call release_flags,CPPFLAGS) $(call release_flags,CXXFLAGS) \
			-ffile-prefix-map=$(abspath $(RELEASE_DIR))=$(notdir $(RELEASE_DIR)) -ffile-prefix-map=$(CURDIR)=." \
		-DCMAKE_EXE_LINKER_FLAGS="$(call release_flags,LDFLAGS)" \
		-DCMAKE_MODULE_LINKER_FLAGS="$(call release_flags,LDFLAGS)" \
		-DCMAKE_SHARED_LINKER_FLAGS="$(call release_flags,LDFLAGS)" $(CMAKE_FLAGS)
	$(release_env) cmake --build $(RELEASE_DIR) -j $(JOBS)

# Stripped, as the package is: the debug information stays in the release folder.
install: release
	cmake --install $(RELEASE_DIR) --prefix $(PREFIX) --strip

# Removes what the last `make install` put down (its manifest in the release folder), nothing else.
uninstall:
	cmake -DMANIFEST=$(RELEASE_DIR)/install_manifest.txt -P packaging/Uninstall.cmake

package: release
	cd $(RELEASE_DIR) && $(release_env) cpack -G DEB

# Builds the fuzz targets with clang and libFuzzer (installed here when missing, never by `make
# test`) and runs each for FUZZ_SECONDS (or FUZZ_RUNS executions, when set, if that comes first);
# FUZZ_TARGETS picks some of them (all when empty).
FUZZ_DIR     ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?=
FUZZ_RUNS    ?=
fuzz:
	JOBS=$(JOBS) FUZZ_RUNS=$(FUZZ_RUNS) bash scripts/fuzz.sh $(FUZZ_DIR) $(FUZZ_SECONDS) "$(FUZZ_TARGETS)"

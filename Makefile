# Two commands for a fresh Debian machine: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
GENERATOR ?= Ninja
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test test-desktop test-under-load soak lint bench screenshots format clean

all: build

deps:
	bash scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/src/app/quillvane

# The whole suite: the normal build with every test group, then the sanitizer builds (see scripts/run-tests).
test: configure
	bash scripts/run-tests $(BUILD)

# The whole suite on a machine that has what a desktop brings (scripts/install-deps desktop: the desktop portal and its
# backends, the Noto fonts, KWin, xfwm4 and metacity): the suite takes nothing of them, so it passes there as on a bare
# machine. Run before a change lands, with `make bench` after the same group.
test-desktop: configure
	bash scripts/install-deps desktop
	bash scripts/run-tests $(BUILD)

# The whole suite, as `make test` runs it, again and again beside a load of the machine's size: stress-ng on every core,
# the disk and a quarter of the free memory, a second desktop session and bus running the x11, atspi and keyring groups
# over and over, a loopback service taking connections and (as root) a network link going up and down. Stops at the
# first run that fails and names its failed tests, whose output it keeps in $(BUILD)/under-load/ (see
# scripts/test-under-load). UNDER_LOAD_RUNS (3), UNDER_LOAD_CPU, UNDER_LOAD_DISK, UNDER_LOAD_MEMORY, UNDER_LOAD_DESKTOP
# and UNDER_LOAD_LINKS size it. Not part of `make test`.
export UNDER_LOAD_RUNS UNDER_LOAD_CPU UNDER_LOAD_DISK UNDER_LOAD_MEMORY UNDER_LOAD_DESKTOP UNDER_LOAD_LINKS
test-under-load: configure
	bash scripts/install-deps load
	python3 scripts/test-under-load $(BUILD)

# The unit and widget groups run again and again, four tests at a time, beside busy loops that load the cores; every
# test that failed is reported with its runs and failures (see scripts/soak). Bounded by SOAK_RUNS (times each test
# runs) and SOAK_MINUTES; SOAK_JOBS, SOAK_LOAD (busy loops), SOAK_LABELS and SOAK_TESTS (a CTest name expression)
# choose what runs and how. Not part of `make test`.
export SOAK_RUNS SOAK_MINUTES SOAK_JOBS SOAK_LOAD SOAK_LABELS SOAK_TESTS
soak: configure
	cmake --build $(BUILD) -j $(JOBS)
	python3 scripts/soak $(BUILD)

# clazy's checks of connections, strings, containers and moc types over every source file the build compiles, and no
# Qt Test macro in tests/ (see scripts/lint); also a stage of `make test`.
lint: configure
	python3 scripts/lint $(BUILD) -j $(JOBS)

bench: deps
	cmake -S . -B build-bench -G $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DKNVT_BUILD_BENCH=ON -DKNVT_BUILD_TESTS=OFF
	cmake --build build-bench -j $(JOBS)
	bash bench/run-benchmarks build-bench

# Renders every interface-kit control in each state, the main window with its lists, every window, sheet and popover
# of the editors and every account window into $(BUILD)/screenshots/ for review, then all of them again under a dark
# palette into $(BUILD)/screenshots/dark/; not part of `make test`.
screenshots: configure
	cmake --build $(BUILD) -j $(JOBS) --target knvt_screenshots knvt_app_screenshots knvt_editor_screenshots knvt_accounts_screenshots
	$(BUILD)/tests/uikit/knvt_screenshots $(BUILD)/screenshots
	$(BUILD)/tests/features/knvt_app_screenshots $(BUILD)/screenshots
	$(BUILD)/tests/editors/knvt_editor_screenshots $(BUILD)/screenshots
	$(BUILD)/tests/accounts/knvt_accounts_screenshots $(BUILD)/screenshots
	KNVT_SCREENSHOT_PALETTE=dark $(BUILD)/tests/uikit/knvt_screenshots $(BUILD)/screenshots/dark
	KNVT_SCREENSHOT_PALETTE=dark $(BUILD)/tests/features/knvt_app_screenshots $(BUILD)/screenshots/dark
	KNVT_SCREENSHOT_PALETTE=dark $(BUILD)/tests/editors/knvt_editor_screenshots $(BUILD)/screenshots/dark
	KNVT_SCREENSHOT_PALETTE=dark $(BUILD)/tests/accounts/knvt_accounts_screenshots $(BUILD)/screenshots/dark

# Applies .clang-format to every C++ file under src/, tests/ and bench/.
format:
	git ls-files -z 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' | xargs -0 clang-format -i

clean:
	rm -rf $(BUILD) build-asan build-tsan build-bench

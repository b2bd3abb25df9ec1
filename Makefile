# Front door: `make run` to play, `make test` to build and pass every test.
# Both install what is missing first (scripts/install-deps).
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan

.PHONY: run test build deps bench assets contact-sheet sanitize clean

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DNR_WERROR=ON >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/neonrally $(ARGS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory sanitize

# The same suite under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DNR_WERROR=ON -DNR_SANITIZE=ON -DNR_BENCH=OFF >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 NR_SANITIZED=1 ctest --output-on-failure -j $(JOBS)

bench: build
	./$(BUILD)/neonrally_bench $(ARGS)

assets: deps
	scripts/make-assets

contact-sheet: deps
	scripts/make-contact-sheet

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)

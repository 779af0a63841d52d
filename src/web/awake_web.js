// Keeps the screen awake while the run shows, where the browser offers a screen
// wake lock: asked for when the run starts or the page shows again, let go when
// the panel opens or the page is hidden (the browser lets go then too).
export class ScreenAwake {
  #wanted = false;
  #lock = null;
  #asking = false;
  #askAgain = false; // wanted, or shown, again while asking

  constructor() {
    document.addEventListener('visibilitychange', () => this.#update());
  }

  want(on) {
    this.#wanted = on;
    this.#update();
  }

  get held() {
    return Boolean(this.#lock && !this.#lock.released);
  }

  #shouldHold() {
    return this.#wanted && document.visibilityState === 'visible';
  }

  async #update() {
    if (!this.#shouldHold()) {
      const lock = this.#lock;
      this.#lock = null;
      if (lock) lock.release().catch(() => {});
      return;
    }
    if (this.#asking) this.#askAgain = true;
    if (this.held || this.#asking || !navigator.wakeLock) return;
    this.#asking = true;
    try {
      const lock = await navigator.wakeLock.request('screen');
      if (this.#shouldHold()) this.#lock = lock;
      else lock.release().catch(() => {});
    } catch {
      // Refused (no permission, low battery): the screen may sleep as usual.
    } finally {
      this.#asking = false;
    }
    if (this.#askAgain) {
      this.#askAgain = false;
      this.#update();
    }
  }
}

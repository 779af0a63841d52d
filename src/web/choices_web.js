// The run's choices: from the address, which a link can carry, and else from
// what the visitor chose last time (keep.js):
//   ?picture=<an image on this site>&count=<1..1000>&mono=1
export const kMostDots = 1000;

export function countFrom(text) {
  text = String(text ?? '').trim();
  return /^[+-]?\d{1,9}$/.test(text) ? Math.min(kMostDots, Math.max(1, Number(text))) : kMostDots;
}

// The full address of an image on this site, the very one that is then loaded,
// or null: an address must never make the page fetch from elsewhere.
export function siteImage(value, base = location.href) {
  if (!value) return null;
  try {
    const url = new URL(value, base);
    const ours = new URL(base);
    return (url.protocol === 'http:' || url.protocol === 'https:') && url.origin === ours.origin ? url.href : null;
  } catch {
    return null;
  }
}

// A kept picture, checked again as if the address had named it.
function keptSource(kept) {
  if (kept && kept.kind === 'site') {
    const url = siteImage(kept.url);
    return url ? { kind: 'site', url } : null;
  }
  return kept && kept.kind === 'file' && typeof kept.name === 'string' ? { kind: 'file', name: kept.name } : null;
}

// The choices as the next visit reads them back as `kept`: which picture, not a
// picked image's file, which is kept apart.
export function keptOf({ count, mono, picture }) {
  const which = picture && (picture.kind === 'site' ? { kind: 'site', url: picture.url } : { kind: 'file', name: picture.name });
  return { count, mono, picture: which || null };
}

// `kept`: { count, mono, picture: { kind: 'site', url } | { kind: 'file', name } } or {}.
// picture: { kind: 'site', url } | { kind: 'file', name } | { kind: 'refused', value } | null (the sample).
export function choicesFrom(search, kept = {}) {
  const query = new URLSearchParams(search);
  let picture = keptSource(kept.picture);
  if (query.has('picture')) {
    const value = query.get('picture');
    const url = siteImage(value);
    picture = url ? { kind: 'site', url } : value ? { kind: 'refused', value } : null;
  }
  return {
    count: countFrom(query.has('count') ? query.get('count') : kept.count),
    mono: query.has('mono') ? query.get('mono') === '1' : kept.mono === true,
    picture,
  };
}

// The address that shows these choices; a site picture as a path when reading
// it again gives the same image.
export function addressOf({ count, mono, picture }) {
  const query = new URLSearchParams();
  if (picture && picture.kind === 'site') {
    const url = new URL(picture.url);
    const path = url.pathname + url.search;
    query.set('picture', path.startsWith('//') ? url.href : path);
  }
  if (count !== kMostDots) query.set('count', String(count));
  if (mono) query.set('mono', '1');
  const text = query.toString();
  return location.pathname + (text ? `?${text}` : '');
}
